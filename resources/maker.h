// What the resource script and the program must agree on, from the build's settings: the maker's web page, shown in
// the settings dialog and opened by its button (the CMake cache entry ORBISK_MAKER_URL), and the project's version.
// The build writes them into build_settings.h; without that header the maker's default below holds.
#pragma once

#if __has_include("build_settings.h")
#include "build_settings.h"
#endif
#ifndef ORBISK_MAKER_URL
#define ORBISK_MAKER_URL "https://vantrel.example/"
#endif
