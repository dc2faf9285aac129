#pragma once
// The screen object. It lives on Win32 only; the declaration is in the Win32 header.

#include "cls_screen_win.h"
