// SPDX-License-Identifier: MIT
/* Linked into test programs of the sanitizer build only. The graphics driver
 * and the X libraries keep allocations until exit and are unloaded before the
 * leak check runs; keeping every library loaded lets the leak report name
 * them, so that tests/lsan.supp can tell their allocations from ours. */
int dlclose(void* handle) {
  (void)handle;
  return 0;
}
