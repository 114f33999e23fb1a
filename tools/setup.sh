# Sourced by ./run, ./test, ./bench and ./fuzz: installs what the command needs on a Debian machine,
# without asking. `corvadel_install_missing run` installs what building and running the player needs;
# `test` adds the test tools and `bench` what the benchmarks build against.
corvadel_run_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libsdl2-dev libsndfile1-dev
    fonts-liberation fonts-dejavu-core
)
# libsamplerate is the reference the resampling benchmark measures the mix against; the player's own CPU
# is measured on a virtual display driven by xdotool.
corvadel_bench_packages=(libsamplerate0-dev xvfb xauth xdotool)
# GoogleTest; Xlib for the end-to-end test's own window closer (that test, too, runs on the virtual
# display); clang with its sanitizer and libFuzzer runtime for ./fuzz. ./test builds the benchmarks too.
corvadel_test_packages=(
    libgtest-dev
    libx11-dev
    clang libclang-rt-dev
    "${corvadel_bench_packages[@]}"
)

# corvadel_install_missing run|test|bench
corvadel_install_missing() {
    local wanted=("${corvadel_run_packages[@]}")
    case "$1" in
        run) ;;
        test) wanted+=("${corvadel_test_packages[@]}") ;;
        bench) wanted+=("${corvadel_bench_packages[@]}") ;;
        *) echo "corvadel_install_missing: run, test or bench, not '$1'" >&2; return 1 ;;
    esac
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

corvadel_jobs() {
    local n
    n=$(nproc 2>/dev/null || echo 2)
    echo "$n"
}
