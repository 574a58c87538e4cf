#!/usr/bin/env bash
# Compiles torvane.chm with chmcmd:  compile_chm.sh STAGE_DIR OUTPUT.chm SOURCE...
#
# chmcmd records the topic of each mapped context number as the absolute
# path of the source file ("/work/.../decouvrir.htm"), which no help viewer
# finds inside the file. Run in a root of its own (the stage directory as
# "/"), the recorded path becomes "/decouvrir.htm": the topic's own name in
# the compiled file. So the compiler, its libraries and the sources are
# staged and chmcmd runs under chroot (as root, or in a user namespace).
set -euo pipefail
stage=$1
output=$2
shift 2

chmcmd=$(readlink -f "$(command -v chmcmd)")
rm -rf "$stage"
mkdir -p "$stage"
cp "$@" "$stage/"
cp "$chmcmd" "$stage/chmcmd"
# The loader and libraries it links, and the thread library it opens at run time.
libs=$(ldd "$chmcmd" | grep -o '/[^ ]*')
libc_dir=$(dirname "$(ldd "$chmcmd" | awk '/libc\.so/ {print $3}')")
for lib in $libs "$libc_dir/libpthread.so.0" "$libc_dir/libdl.so.2"; do
  [[ -e $lib ]] || continue
  mkdir -p "$stage$(dirname "$lib")"
  cp -L "$lib" "$stage$lib"
done

run=(chroot "$stage" /chmcmd --no-html-scan --verbosity 0 torvane.hhp)
if ((EUID != 0)); then
  run=(unshare --map-root-user "${run[@]}")
fi
"${run[@]}" >"$stage.log" 2>&1 || {
  cat "$stage.log" >&2
  echo "compile_chm.sh: chmcmd failed (it needs root or user namespaces for chroot)" >&2
  exit 1
}
cp "$stage/torvane.chm" "$output"
