#!/usr/bin/env bash
# Linker launcher of the Clang build: runs the link and drops only ld's notes
# that a COMDAT section of Clang's objects differs in size from the same one
# in GCC's libstdc++ (type-name strings padded differently); the link keeps
# the first copy, which is what both compilers expect.
{
  "$@" 2>&1 1>&3 3>&- | { grep -v -e "duplicate section \`.*' has different size$" >&2 || true; }
  status=${PIPESTATUS[0]}
} 3>&1
exit "$status"
