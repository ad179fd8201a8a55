// The ids that the resource script (orbisk.rc) and the program share. Plain defines only: the resource
// compiler's preprocessor reads this file too.
#pragma once

#define IDI_ORBISK 102  // icon group: the program's icon, also shown in the settings dialog
#define IDB_PREVIEW 103 // 160 x 120, 8 bits per pixel: the settings dialog's picture and the preview picture
#define IDD_SETTINGS 2003

// Controls of the settings dialog. The OK button is IDOK (1), so that Enter ends the dialog.
#define IDC_CONNECT 1003 // opens the maker's web page
#ifndef IDC_STATIC
#define IDC_STATIC (-1) // labels and pictures that the program never addresses
#endif
