# Shared by run.sh and test.sh: make sure the build tools are present, then configure and build.
# Sourced, not run; expects $root to be the source folder.

required_packages=(cmake g++ qt6-base-dev qt6-multimedia-dev libgtest-dev libbenchmark-dev fonts-dejavu-core libhamlib-dev libhamlib-utils libmosquitto-dev pkg-config)
# The shared log's tests and timing runs start a real broker; openssl makes the certificates
# of the test of a broker behind TLS.
broker_packages=(mosquitto openssl)
# The package tests build and check the Debian package as a distribution would.
test_packages=("${broker_packages[@]}" dpkg-dev file lintian desktop-file-utils appstream)

missing_packages() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

ensure_packages() {
    local missing
    missing=$(missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" = 0 ]; then
        echo "Installing: $missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing
    else
        echo "These Debian packages are missing; install them as root and run again:" >&2
        echo "  apt-get install $missing" >&2
        return 1
    fi
}

# build_quillfeather [target...]: every target when none is named. The tree is build/
# unless build_dir names another; build_options are added when it is first configured.
build_quillfeather() {
    local build="${build_dir:-$root/build}"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${build_options[@]+"${build_options[@]}"} || return 1
    fi
    if [ $# -gt 0 ]; then
        cmake --build "$build" --parallel "$(nproc)" --target "$@"
    else
        cmake --build "$build" --parallel "$(nproc)"
    fi
}
