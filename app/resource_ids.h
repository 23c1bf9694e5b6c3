#pragma once

// Resource IDs shared by the resource script (varnholt.rc.in) and the C++ code.
// Plain #defines only: the resource compiler's preprocessor reads this file too.

// The program icon (group icon), as in LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), ...).
#define IDI_APP 1
