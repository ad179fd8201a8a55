// The maker's web page: shown in the settings dialog and opened by its button, so the resource script and the
// program must agree on it. A build may give its own address as a string literal, e.g.
// -DORBISK_MAKER_URL="\"https://example.org/\"".
#pragma once

#ifndef ORBISK_MAKER_URL
#define ORBISK_MAKER_URL "https://vantrel.example/"
#endif
