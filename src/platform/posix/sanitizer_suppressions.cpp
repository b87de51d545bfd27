// Leaks that belong to libraries, not to this program, so that the leak
// checker of sanitized builds reports only ours. The hooks are read by the
// sanitizer runtime when there is one, and are unused functions otherwise.

// The PulseAudio client library keeps a small block after SDL has closed it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libpulse.so\n"; }

// A run's standard error stays as clean as in a normal build.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
