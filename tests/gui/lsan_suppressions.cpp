// SPDX-License-Identifier: MIT
// fontconfig keeps its caches for the life of the process; the leak
// checker of sanitizer builds reports them at exit.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
