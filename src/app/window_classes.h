// Registration of every window class of the program.
#pragma once
#include <windows.h>

// 0 when all classes are registered; 1 when the main class failed, 2 when
// any other class failed (registration stops at the first failure).
int RegisterWindowClasses(HINSTANCE instance);
