#!/usr/bin/env bash
# Builds the release zip, Brellix-<version>-win64.zip, and checks that the build is reproducible:
# a second build in another directory must give the same exe bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw-x64 > /dev/null
cmake --build --preset mingw-x64 --target Brellix
version=$(sed -n 's/^#define BRELLIX_VERSION_TEXT "\(.*\)"$/\1/p' build/mingw-x64/generated/build_config.h)

# Reproducible: the same source built elsewhere gives the same bytes.
rm -rf build/repro
cmake -S . -B build/repro -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x64.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DBRELLIX_BUILD_TESTS=OFF > /dev/null
cmake --build build/repro --target Brellix > /dev/null
first=$(sha256sum < build/mingw-x64/Brellix.exe | cut -d' ' -f1)
second=$(sha256sum < build/repro/Brellix.exe | cut -d' ' -f1)
if [ "$first" != "$second" ]; then
  echo "package: the exe is not reproducible ($first vs $second)" >&2
  exit 1
fi
echo "package: reproducible exe, sha256 $first"

stage=build/release/stage
rm -rf build/release && mkdir -p "$stage"
cp build/mingw-x64/Brellix.exe "$stage/"
sed 's/$/\r/' docs/README-Windows.txt > "$stage/README.txt"
# Fixed times and order, no extra attributes: the zip is reproducible too.
touch -h -d '2000-01-01 00:00:00 UTC' "$stage"/*
zip_path=$PWD/build/release/Brellix-$version-win64.zip
(cd "$stage" && TZ=UTC zip -X -q "$zip_path" Brellix.exe README.txt)
echo "package: $zip_path ($(stat -c %s "$zip_path") bytes)"
