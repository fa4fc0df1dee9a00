// Resource ids of the installer, shared by installer.rc and the code.
#pragma once

#define IDR_SAVER 10           // "DATA": the complete screen saver, byte for byte
