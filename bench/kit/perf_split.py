#!/usr/bin/env python3
"""Splits the samples of `perf script -F ip,sym` from bench_netconnection between the host's call and
the blocking client's, and prints the CPU per call of each, the functions under the host's call by
inclusive share, and the CPU each side spends in each system call.

usage: perf_split.py SCRIPT_OUTPUT SAMPLES_PER_SECOND CALLS_PER_SIDE"""
import collections
import re
import sys

SIDES = {"host": "RdmMediEfeti::GetVerifServ", "blocking": "BlockingClient::call"}
SYSCALL = re.compile(r"^(__x64_sys_|__do_sys_|ksys_)(\w+)")


def samples(path):
    for block in open(path).read().split("\n\n"):
        frames = [re.sub(r"^\s*[0-9a-f]+\s+", "", line).strip() for line in block.splitlines() if line.strip()]
        if frames:
            yield [f.replace("(anonymous namespace)::", "") for f in frames]


def main(path, hz, calls):
    count = collections.Counter()
    inclusive = {side: collections.Counter() for side in SIDES}
    syscalls = {side: collections.Counter() for side in SIDES}
    for frames in samples(path):
        side = next((s for s, mark in SIDES.items() if any(mark in f for f in frames)), None)
        if side is None:
            continue
        count[side] += 1
        for f in set(frames):
            inclusive[side][f] += 1
        call = next((SYSCALL.match(f).group(2) for f in frames if SYSCALL.match(f)), "(user space)")
        syscalls[side][call] += 1
    us = 1e6 / hz / calls
    for side in SIDES:
        print(f"{side}: {count[side]} samples, {count[side] * us:.1f} us CPU per call")
    print("\nUnder the host's call, functions of user space by inclusive share (>= 1.5%):")
    for f, n in inclusive["host"].most_common():
        if n < 0.015 * count["host"]:
            break
        if "inlined" in f or "_M_invoke" in f or f in ("main", "_start", "[unknown]"):
            continue
        if SYSCALL.match(f) or f.islower() and "_" in f and not f.startswith(("qt_", "__GI_")):
            continue  # kernel frames: the system calls below say where they go
        print(f"  {100 * n / count['host']:5.1f}%  {n * us:5.1f} us  {f}")
    print("\nCPU per call by system call (us): host | blocking")
    for call in sorted(set(syscalls["host"]) | set(syscalls["blocking"]), key=lambda c: -syscalls["host"][c]):
        print(f"  {call:20s} {syscalls['host'][call] * us:6.1f} | {syscalls['blocking'][call] * us:6.1f}")


if __name__ == "__main__":
    main(sys.argv[1], float(sys.argv[2]), int(sys.argv[3]))
