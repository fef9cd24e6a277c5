#!/usr/bin/env bash
# Runs a command where every 32-bit x86 program, and every one it starts, goes through qemu-i386:
# in a private user and mount namespace with a binfmt_misc of its own, which the kernel consults
# before its own loader, so the machine itself is left as it was.
#   emulated-i386.sh COMMAND [ARGUMENT...]
#
# KELPFORGE_I386 chooses where the Wine tests and the main job run 32-bit programs: "native"
# (directly), "emulated" (here, even where the kernel could run them) or "auto" (the default:
# emulated only where the kernel refuses them). `emulated-i386.sh --needed` exits 0 when that
# choice comes out as emulated.
set -euo pipefail

wine32=/usr/lib/wine/wine
qemu=/usr/bin/qemu-i386
# Wine reserves the space above 2 GB for programs that are large-address aware; qemu 7 scans that
# reservation page by page at every mapping it places itself, which made each 32-bit process take
# 50 s to start. A guest space that ends just above Wine's top-down area (0x7f000000-0x82000000),
# with room for qemu's stack, starts one in 3 to 5 s.
export QEMU_RESERVED_VA=0x84000000

if [ "${1:-}" = --needed ]; then
    case "${KELPFORGE_I386:-auto}" in
    native) exit 1 ;;
    emulated) exit 0 ;;
    auto) if "$wine32" --version >/dev/null 2>&1; then exit 1; else exit 0; fi ;;
    *) echo "KELPFORGE_I386 is native, emulated or auto, not '$KELPFORGE_I386'" >&2; exit 2 ;;
    esac
fi
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }

if [ "${KF_I386_NAMESPACE:-}" != inside ]; then
    exec unshare --user --map-root-user --mount --propagation private \
        env KF_I386_NAMESPACE=inside bash "$0" "$@"
fi

mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# i386 ELF: class 32, little endian, executable or shared object, machine 3 (qemu's own mask).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf '%s' ":kelpforge-i386:M::$magic:$mask:$qemu:F" >/proc/sys/fs/binfmt_misc/register
unset KF_I386_NAMESPACE

# qemu traces the system calls of what it runs when asked: a program run natively prints none.
if ! QEMU_STRACE=1 "$wine32" --version 2>&1 >/dev/null | grep exit_group >/dev/null; then
    echo "emulated-i386.sh: $wine32 did not go through $qemu" >&2
    exit 1
fi
exec "$@"
