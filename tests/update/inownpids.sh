#!/bin/sh
# Runs a test in a process namespace of its own where the system allows it, so that a test that
# stops processes can only ever reach its own children, whatever fault the code under test has.
if unshare --pid --fork --mount-proc true 2>/dev/null; then
    exec unshare --pid --fork --mount-proc "$@"
fi
exec "$@"
