#pragma once
// The images live in a static library, so whoever shows one makes sure they are loaded.
void loadAppResources();
