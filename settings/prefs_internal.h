// Test access to the preferences' process-wide caches.
#pragma once

// Forgets the cached host signature, so the next GetCurrentApplication asks again.
void PFForgetCurrentApplication();
