// The maker's web page: shown in the settings dialog and opened by its button, so the resource script and the
// program must agree on it. It is a build setting (the CMake cache entry ORBISK_MAKER_URL), which the build writes
// into maker_url.h; without that header the default below holds.
#pragma once

#if __has_include("maker_url.h")
#include "maker_url.h"
#endif
#ifndef ORBISK_MAKER_URL
#define ORBISK_MAKER_URL "https://vantrel.example/"
#endif
