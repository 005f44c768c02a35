// Puts the interchange files behind the application's commands: loading
// and saving ASC CDL files ('SCla', 'SCsa') and the twelve 3D LUT exports.
#pragma once

void LibraryInstallServices();
