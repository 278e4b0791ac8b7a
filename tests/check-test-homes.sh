#!/usr/bin/env bash
# Fails when a registered test would run with the real home of whoever runs
# the suite: each must have HOME pointed at the build tree's test home.
#   check-test-homes.sh CMAKE TEST_HOME     (run by ctest in the build folder)
set -euo pipefail
ctest=$(dirname "$1")/ctest
home=$2
"$ctest" --show-only=json-v1 | python3 -c '
import json, sys
home = sys.argv[1]
bad = []
for test in json.load(sys.stdin)["tests"]:
    if test["name"] == "tests_keep_out_of_home":
        continue
    env = next((p["value"] for p in test.get("properties", []) if p["name"] == "ENVIRONMENT"), [])
    if "HOME=" + home not in env:
        bad.append(test["name"])
if bad:
    sys.exit("these tests would run in the real home: " + ", ".join(bad))
print("every test runs with HOME=" + home)
' "$home"
