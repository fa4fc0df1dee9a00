// Resource ids of the screen saver, shared by avizolp.rc and the code.
#pragma once

#define IDS_DESCRIPTION 1      // the saver's name in the display settings
#define IDS_INI_FILE 1001      // settings file, in the Windows directory
#define IDS_INI_SECTION 1007   // section of the settings file

#define IDD_CONFIGURE 2003
#define IDC_ZOOM 1001          // the zoom field, in percent
#define IDC_ZOOM_ARROWS 1005   // the up/down arrows beside it
#define IDC_SOUND 1006         // the sound check box
#ifndef IDC_STATIC
#define IDC_STATIC (-1)        // a control the code never addresses
#endif

#define IDR_CLIP 200           // "DATA": the AVI clip
#define IDR_SOUND 201          // "DATA": the WAV sound
