// The surface mappings the application ships with: two pages (the primary
// corrections, and the RGB master with the limiter), the saved slots on the
// navigation buttons. The build writes them as the default definitions file.
#pragma once

// Replaces every page and definition in memory by the shipped ones.
void SurfaceSetDefaultDefinitions();
