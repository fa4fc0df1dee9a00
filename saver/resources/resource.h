// Resource ids of the screen saver, shared by avizolp.rc and the code.
#pragma once

#define IDS_DESCRIPTION 1      // the saver's name in the display settings
#define IDS_INI_FILE 1001      // settings file, in the Windows directory
#define IDS_INI_SECTION 1007   // section of the settings file

#define IDD_CONFIGURE 2003

#define IDR_CLIP 200           // "DATA": the AVI clip
#define IDR_SOUND 201          // "DATA": the WAV sound
