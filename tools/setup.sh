# Sourced by ./test and ./run: installs what the build needs on a Debian machine, without asking.
corvadel_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libsdl2-dev libsndfile1-dev libsamplerate0-dev
    libgtest-dev
    fonts-liberation xvfb xauth xdotool
    clang libclang-rt-14-dev
)

corvadel_install_missing() {
    local missing=()
    local p
    for p in "${corvadel_packages[@]}"; do
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
