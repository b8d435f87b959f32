#!/usr/bin/env bash
# Installs what is missing, builds the updater and runs it; arguments go to the updater.
#
# With no controller on the USB bus (vendor id 7a5e), and unless ORV_SIMULATED_DEVICES already
# names a description, it runs against simulated devices (a controller running 00.30 and a wheel
# display running 00.49) and says so. That run uses a folder of its own, build/simulated/, with
# a copy of the program and two demo images made for the simulated devices, so that demo data
# never lies beside the program that a real device is updated with.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/build-flags.sh
dir=build
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$ORV_RELWITHDEBINFO_FLAGS" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target orv-firmware-updater orv-dfuse-write
program=$dir/UI/orv-firmware-updater

real_device=false
for vendor in /sys/bus/usb/devices/*/idVendor; do
    if [ -f "$vendor" ] && [ "$(cat "$vendor")" = 7a5e ]; then
        real_device=true
    fi
done

if [ "$real_device" = false ] && [ -z "${ORV_SIMULATED_DEVICES:-}" ]; then
    run=$dir/simulated
    mkdir -p "$run"
    # Replaced, not written over: a copy that still runs (a first instance) keeps its file.
    cp "$program" "$run/.orv-firmware-updater.new"
    mv -f "$run/.orv-firmware-updater.new" "$run/orv-firmware-updater"
    write=$dir/tools/dfuse/orv-dfuse-write
    "$write" --address 0x08008000 --demo-size 65536 --firmware-version 00.31 \
        "$run/zk71_tp_update_00_31_120936.dfu" >/dev/null
    "$write" --address 0x08008000 --demo-size 65536 --firmware-version 00.50 \
        "$run/zk71_wd_update_00_50_3A7CE2CA.dfu" >/dev/null
    printf 'device=controller version=00.30\ndevice=wheel-display version=00.49\n' \
        >"$run/devices.txt"
    export ORV_SIMULATED_DEVICES=$PWD/$run/devices.txt
    echo "run: no controller is connected: running against simulated devices ($ORV_SIMULATED_DEVICES)"
    program=$run/orv-firmware-updater
fi
exec "$program" "$@"
