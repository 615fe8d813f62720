// io_exit.h - work the I/O modules must do when the program ends (writing
// back a changed line file or INI table, freeing archive blocks, deleting
// temporary files). shut_down calls io_run_exit_hooks once.
#pragma once

using IoExitHook = void (*)();

// Registers a hook once (a hook registered twice still runs once).
void io_at_exit(IoExitHook hook);
// Runs the hooks in the order they were registered. Hooks only flush what
// is pending, so running them again is harmless.
void io_run_exit_hooks();
