#!/bin/bash
# Benchmark: times two ways of doing the same work under Wine, side by side in one prefix, and
# prints every run, the medians and their ratio. Timings are information, never a failure.
#
#   bash scripts/bench.sh [CASE]      CASE defaults to "install"; BENCH_RUNS=N (default 21)
#
# Both sides are started alternately by the same launcher (build/tests/tools/launch.exe, which
# reports the child's time from its start to its end), after one warm-up run of each; before
# every run the case's products are removed.
#
# Adding a case: write a function case_<name> that prepares its folders under $case_dir and sets
#   side_a_label, side_a_command   what is measured (a Windows command line for launch.exe)
#   side_b_label, side_b_command   what it is measured against
#   side_b_then                    optional: a second command whose time is added to B's, run
#                                  right after it (its own times are printed too)
#   product_codes                  products removed before each run (may be empty)
# It runs once, with the prefix up; the Unix helpers below (win_path, write_ini) are at hand.
#
# The x86 flavour runs in a 32-bit prefix; on a host that runs no 32-bit code (or with
# SETUP_TEST_NO32=1) the x64 flavour runs in a 64-bit prefix instead.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
# shellcheck source=tests/wine/host.sh
. tests/wine/host.sh
no32=$(host_no32_reason)
if [ -z "$no32" ]; then
    flavour=build arch=win32 bench_key='HKEY_LOCAL_MACHINE\Software\SetupBench'
    echo "Host runs 32-bit code: timing the x86 flavour (build/setup.exe) in a 32-bit prefix"
else
    # 64-bit regedit writes the 64-bit view; setup.exe reads the 32-bit one, Wow6432Node.
    flavour=build-x64 arch=win64 bench_key='HKEY_LOCAL_MACHINE\Software\Wow6432Node\SetupBench'
    echo "Host runs no 32-bit code ($no32): timing the x64 flavour (build-x64/setup.exe) in a" \
        "64-bit prefix"
fi

case_name=${1:-install}
runs=${BENCH_RUNS:-21}

# ---- cases ----

sample_code='{5A3E2C10-7B1D-4C55-9E0A-3D2F6B8C9A01}'

# Builds the demonstration's one-file package into $1.
build_sample_package() {
    (cd "$repo/scripts/demo" && wixl -a x86 -o "$1" sample_notes.wxs)
}

# A quiet install with setup.exe against a bare msiexec install of the same package.
case_install() {
    local dist=$case_dir/SampleNotes
    mkdir -p "$dist"
    cp "$repo/$flavour/setup.exe" "$dist/setup.exe"
    build_sample_package "$dist/SampleNotes.msi"
    write_ini "$dist/setup.ini" '[Main]' 'MsiPath=SampleNotes.msi'
    side_a_label="setup.exe /i /quiet"
    side_a_command="$(win_path "$dist/setup.exe") /i /quiet"
    side_b_label="msiexec /i /qn"
    side_b_command="msiexec /i $(win_path "$dist/SampleNotes.msi") /qn"
    product_codes=$sample_code
}

# Writes the demonstration product with the given number of prerequisite sections into $1; each
# section is found present through a registry condition on a value that write_bench_values puts
# into the prefix.
prereq_folder() {
    local dist=$1 count=$2 i
    mkdir -p "$dist"
    cp "$repo/$flavour/setup.exe" "$dist/setup.exe"
    build_sample_package "$dist/SampleNotes.msi"
    local lines=('[Main]' 'MsiPath=SampleNotes.msi')
    for ((i = 0; i < count; i++)); do
        lines+=("[PreReq$i]" "Name=Component $i" "InstPath=#Root#\\pkg\\component$i.exe"
            "RegPath=HKEY_LOCAL_MACHINE\\Software\\SetupBench\\Component$i" 'RegCond=DWORD>=1')
    done
    write_ini "$dist/setup.ini" "${lines[@]}"
}

# The registry values that make every bench component present, in one regedit call.
write_bench_values() {
    local file=$case_dir/components.reg i
    {
        printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$bench_key"
        for ((i = 0; i < 100; i++)); do
            printf '"Component%d"=dword:00000001\r\n' "$i"
        done
    } >"$file"
    wine_run regedit /s "$(win_path "$file")" >/dev/null 2>&1
}

# Detection is on the path of every run: a quiet install whose setup ini has 100 prerequisite
# sections, all present through registry conditions, against the same install without any.
case_prereq100() {
    write_bench_values
    prereq_folder "$case_dir/with100" 100
    prereq_folder "$case_dir/without" 0
    side_a_label="setup.exe /i /quiet, 100 prerequisites present"
    side_a_command="$(win_path "$case_dir/with100/setup.exe") /i /quiet"
    side_b_label="setup.exe /i /quiet, no prerequisites"
    side_b_command="$(win_path "$case_dir/without/setup.exe") /i /quiet"
    product_codes=$sample_code
}

# The setup ini without prerequisite sections: setup.exe's own cost over a bare msiexec install.
case_prereq0() {
    prereq_folder "$case_dir/without" 0
    side_a_label="setup.exe /i /quiet, no prerequisites"
    side_a_command="$(win_path "$case_dir/without/setup.exe") /i /quiet"
    side_b_label="msiexec /i /qn"
    side_b_command="msiexec /i $(win_path "$case_dir/without/SampleNotes.msi") /qn"
    product_codes=$sample_code
}

# A 256 MiB download over loopback from the tests' web server. A: a quiet setup.exe run whose
# only prerequisite is fetched from its DownloadUrl. B: curl fetching the same file from the same
# server, then (B2) the same setup.exe run with the file already on the medium. Both sides hash the
# file once and install the same product, so A - B2, the download's own share, compares with curl
# alone. Afterwards the peak working set of a downloading run is printed beside that of a run
# whose file is on the medium.
case_download() {
    local web=$case_dir/web state=$case_dir/state dist=$case_dir/download medium=$case_dir/medium
    mkdir -p "$web" "$state"
    cp "$repo/$flavour/tests/tools/exit_code.exe" "$web/big.exe"
    head -c 268435456 /dev/zero >>"$web/big.exe"
    python3 tests/tools/http_server.py "$web" "$state" 900 &
    web_server=$!
    local i
    for ((i = 0; i < 300; i++)); do [ -s "$state/port" ] && break; sleep 0.1; done
    local url hash
    url=http://127.0.0.1:$(cat "$state/port")/files/big.exe
    hash=$(sha256sum "$web/big.exe" | cut -d' ' -f1)
    prereq_folder "$dist" 0
    write_ini "$dist/setup.ini" '[Main]' 'MsiPath=SampleNotes.msi' '[PreReq0]' 'Name=Big' \
        'InstPath=#Root#\redist\big.exe' 'InstParams="#InstPath#" 0' \
        'RegPath=HKEY_LOCAL_MACHINE\Software\SetupBench\Missing' 'RegCond=DWORD=1' \
        "DownloadUrl=$url" "InstHash=$hash"
    prereq_folder "$medium" 0
    mkdir -p "$medium/redist" && cp "$web/big.exe" "$medium/redist/big.exe"
    cp "$dist/setup.ini" "$medium/setup.ini"
    side_a_label="setup.exe /i /quiet, downloading 256 MiB"
    side_a_command="$(win_path "$dist/setup.exe") /i /quiet"
    side_b_label="curl, the same file; B2 = the same run with the file on the medium"
    side_b_command="unix:curl -s -o /dev/null $url"
    side_b_then="$(win_path "$medium/setup.exe") /i /quiet"
    product_codes=$sample_code
    after_runs=download_memory
}

# Peak working sets (launch.exe samples them) of a downloading run and of one whose file is on
# the medium.
download_memory() {
    local side peak
    for side in download medium; do
        remove_products
        peak=$(launch "$(win_path "$case_dir/$side/setup.exe") /i /quiet" |
            sed -n 's/^Peak working set: \([0-9]*\) KB$/\1/p')
        printf 'peak working set, file %-8s %8s KB\n' "$([ $side = download ] && echo fetched ||
            echo present)" "$peak"
    done
}

# ---- machinery ----

root=$repo/build/bench
wine_root=$root/wine
case_dir=$root/$case_name

if ! declare -F "case_$case_name" >/dev/null; then
    echo "bench.sh: unknown case '$case_name'; known:" \
        "$(declare -F | sed -n 's/^declare -f case_//p' | tr '\n' ' ')" >&2
    exit 2
fi

wine_run() { WINEPREFIX=$wine_root/$arch tests/wine/run.sh "$wine_root" "$@"; }
win_path() { wine_run winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# write_ini FILE LINE...: an ini file with Windows line ends.
write_ini() {
    local file=$1
    shift
    printf '%s\r\n' "$@" >"$file"
}

launcher=
launch() {
    # shellcheck disable=SC2086 # the command line is split into words on purpose
    wine_run "$launcher" $1 2>&1 | tr -d '\r'
}

remove_products() {
    local code
    for code in $product_codes; do
        wine_run msiexec /x "$code" /qn >/dev/null 2>&1 || true
    done
}

# Runs one side once after removing the products; prints the milliseconds launch.exe measured
# (or, for a "unix:" command, the wall time of that Unix command).
timed_run() {
    local output elapsed
    remove_products
    if [ "${1#unix:}" != "$1" ]; then
        local start end
        start=$(date +%s%N)
        ${1#unix:} >/dev/null
        end=$(date +%s%N)
        awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e6 }'
        return
    fi
    output=$(launch "$1")
    elapsed=$(sed -n 's/^Elapsed: \([0-9.]*\) ms$/\1/p' <<<"$output")
    if [ -z "$elapsed" ]; then
        echo "bench.sh: no time from: $1" >&2
        echo "$output" >&2
        exit 1
    fi
    if ! grep -qx 'Exit code: 0' <<<"$output"; then
        echo "bench.sh: warning: $(grep '^Exit code' <<<"$output") from: $1" >&2
    fi
    echo "$elapsed"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR % 2) printf "%.4f", v[(NR + 1) / 2];
        else printf "%.4f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

bash scripts/build.sh >/dev/null
tests/wine/prefix.sh up "$wine_root" "$arch" >/dev/null
trap 'remove_products; tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
launcher=$(win_path "$repo/$flavour/tests/tools/launch.exe")

rm -rf "$case_dir" && mkdir -p "$case_dir"
side_a_label= side_a_command= side_b_label= side_b_command= side_b_then= product_codes=
after_runs=
web_server=
trap 'remove_products; [ -z "$web_server" ] || kill "$web_server" 2>/dev/null;
      tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
"case_$case_name"

echo "case $case_name: A = $side_a_label, B = $side_b_label; $runs runs each, alternating"
timed_run "$side_a_command" >/dev/null
timed_run "$side_b_command" >/dev/null
[ -z "$side_b_then" ] || timed_run "$side_b_then" >/dev/null
a_times=() b_times=() b2_times=()
for ((i = 1; i <= runs; i++)); do
    a=$(timed_run "$side_a_command")
    b=$(timed_run "$side_b_command")
    a_times+=("$a") b_times+=("$b")
    if [ -n "$side_b_then" ]; then
        b2=$(timed_run "$side_b_then")
        b2_times+=("$b2")
        printf 'run %2d   A %8.1f ms  B %8.1f ms  B2 %8.1f ms\n' "$i" "$a" "$b" "$b2"
    else
        printf 'run %2d   A %8.1f ms  B %8.1f ms\n' "$i" "$a" "$b"
    fi
done
fastest() { printf '%s\n' "$@" | sort -n | head -n1; }
# The fastest runs show the cost without the machine's other load; the medians are the measure.
printf 'fastest A %8.1f ms  B %8.1f ms\n' "$(fastest "${a_times[@]}")" "$(fastest "${b_times[@]}")"
# Each pair ran back to back under the same load: their ratio is steadier when the load changes.
report_ratio() {
    local name=$1 a_name=$2 b_name=$3 i
    local -n as=$4 bs=$5
    local a_median b_median
    a_median=$(printf '%s\n' "${as[@]}" | median)
    b_median=$(printf '%s\n' "${bs[@]}" | median)
    printf 'median   %s %8.1f ms  %s %8.1f ms\n' "$a_name" "$a_median" "$b_name" "$b_median"
    awk -v a="$a_median" -v b="$b_median" -v n="$name" 'BEGIN { printf "ratio %s %.3f (medians)\n", n, a / b }'
    for ((i = 0; i < runs; i++)); do
        awk -v a="${as[i]}" -v b="${bs[i]}" 'BEGIN { print a / b }'
    done | median | awk -v n="$name" '{ printf "ratio %s %.3f (median of the run-by-run ratios)\n", n, $1 }'
}
report_ratio A/B A B a_times b_times
if [ -n "$side_b_then" ]; then
    own_times=() both_times=()
    for ((i = 0; i < runs; i++)); do
        own_times+=("$(awk -v a="${a_times[i]}" -v b="${b2_times[i]}" 'BEGIN { printf "%.1f", a - b }')")
        both_times+=("$(awk -v a="${b_times[i]}" -v b="${b2_times[i]}" 'BEGIN { printf "%.1f", a + b }')")
    done
    report_ratio "A/(B+B2)" A B+B2 a_times both_times
    echo "A - B2: the download's own share of A, against B"
    report_ratio "(A-B2)/B" A-B2 B own_times b_times
fi
[ -z "$after_runs" ] || "$after_runs"
