# Where the benchmarks find the program, the workshop and their scratch room; sourced by each.
# SHOP, BATCH and WORK may be set from outside.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
SHOP=${SHOP:-$ROOT/../shared/bench}
BATCH=${BATCH:-$ROOT/build/dist/brindlequay-batch}
WORK=${WORK:-/tmp/brindlequay-bench}
