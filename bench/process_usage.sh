# Sourced by the benchmark scripts: what a running process has used.

# Nanoseconds the process has run on a CPU, all its threads together. Summed
# as floating point: mawk's %d stops at 2^31 (2.1 s).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%.0f", s }'; }

# Its resident memory, KiB.
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
