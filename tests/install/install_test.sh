#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the hello component
# against the installed package with CMake, runs it, and runs the installed
# qrx demo with a clean environment.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log"
for f in lib/libkrtcapi.so lib/libtxtcat.so include/orvesvc.h share/devavu/locale/de/qrxmsg.cat; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

echo "--- run paths of the installed binaries: no empty entry (the current directory)"
for f in "$prefix"/bin/* "$prefix"/lib/*.so; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qE '\[:|::|:\]|\[\]'; then
    echo "empty run path entry: $f"; readelf -d "$f" | grep -E 'R(UN)?PATH'; exit 1
  fi
done
if pkg-config --libs "$prefix/lib/pkgconfig/devavu.pc" | grep -q rpath; then
  echo "devavu.pc hands its users a run path"; exit 1
fi

echo "--- hello, built with CMake"
{ cmake -S "$source/examples/hello" -B "$work/hello-cmake" -DCMAKE_PREFIX_PATH="$prefix" &&
  cmake --build "$work/hello-cmake"; } > "$work/hello-cmake.log" 2>&1 ||
  { cat "$work/hello-cmake.log"; exit 1; }
env -i PATH=/usr/bin:/bin QRXTRACEFILE="$work/trace-cmake.log" "$work/hello-cmake/hello_main" |
  tee "$work/hello-cmake.out"
grep -q 'HelloTick(corr=1, final=1)' "$work/hello-cmake.out"
grep -q 'hello: message 512: Quorix component HELLO is stopping' "$work/hello-cmake.out"

echo "--- the installed qrx demo, clean environment"
(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" "$prefix/bin/qrx" demo > "$work/demo.out" 2>&1) ||
  { cat "$work/demo.out"; exit 1; }
grep -q 'demo finished' "$work/demo.out"
echo "install test passed"
