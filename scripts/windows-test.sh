#!/usr/bin/env bash
# windows-test.sh BUILD: the Windows leg of make test. Runs the cross-built programs under
# wine, twice: with the ANSI code page of C.UTF-8 (1252) and of zh_CN.UTF-8 (936).
#   - the unit tests;
#   - tarnwick-report.exe on a wine prefix laid out as an IIS server, with no options;
#   - the window, driven from inside, on a virtual X display;
#   - both programs once more with the server's configuration missing.
set -euo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
windows_path() { echo "Z:${1//\//\\}"; }
export TARNWICK_TEST_DATA=$(windows_path "$source_dir/tests/data")
export TARNWICK_REPORT=$(windows_path "$build/src/tarnwick-report.exe")

# A display of its own, on the first free number, which Xvfb names once it is ready.
exec {ready}<> <(:)
Xvfb -displayfd "$ready" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; "$wineserver" -k 2>/dev/null || true; }
trap cleanup EXIT
read -r -t 30 number <&"$ready"
export DISPLAY=:$number

# One server for the whole leg: background services started later would inherit the
# tests' output pipes and hold them open.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making a wine prefix (once)..."
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
fi
"$wineserver" -p 2>/dev/null || true  # already running: fine
"$wine" wineboot >/dev/null 2>&1
# Chinese in the dialogs' default font: a font link from Tahoma to WenQuanYi.
"$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
  /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1

# The prefix as an IIS server: its configuration at the standard place, two sites, one
# with a Chinese name logging into a folder with a Chinese name, seven days of logs.
drive=$WINEPREFIX/drive_c
config=$drive/windows/system32/inetsrv/config
mkdir -p "$config" "$drive/inetpub/logs/LogFiles/W3SVC1" "$drive/网站日志/W3SVC2"
cat > "$config/applicationHost.config" <<'CONFIG'
<?xml version="1.0" encoding="UTF-8"?>
<configuration>
  <system.applicationHost>
    <sites>
      <site name="Default Web Site" id="1" />
      <site name="企业门户" id="2">
        <logFile directory="C:\网站日志" localTimeRollover="true" />
      </site>
      <siteDefaults>
        <logFile directory="%SystemDrive%\inetpub\logs\LogFiles" />
      </siteDefaults>
    </sites>
  </system.applicationHost>
</configuration>
CONFIG
rm -f "$drive"/inetpub/logs/LogFiles/W3SVC1/* "$drive"/网站日志/W3SVC2/*
for k in 0 1 2 3 4 5 6; do
  utc=$(date -u -d "-$k days" +%y%m%d)
  local_day=$(date -d "-$k days" +%y%m%d)
  printf 'Googlebot\r\nBaiduspider Googlebot\r\nx\r\n' > "$drive/inetpub/logs/LogFiles/W3SVC1/u_ex$utc.log"
  printf 'Sosospider\r\n' > "$drive/网站日志/W3SVC2/u_ex$local_day.log"
done
today_utc=$(date -u +%y%m%d)
today_local=$(date +%y%m%d)
iso_utc=$(date -u +%F)
iso_local=$(date +%F)

# Both programs start on Windows 7 and Server 2008 R2 and later: every function they
# import is one of the allow-list's, each checked against its documented minimum version.
imports_failed=0
for exe in tarnwick.exe tarnwick-report.exe; do
  unknown=$(x86_64-w64-mingw32-objdump -p "$build/dist/$exe" |
    awk '/DLL Name:/ {dll = toupper($3); next}
         dll && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print dll, $3}' |
    grep -vxF -f <(grep -vE '^(#|$)' "$source_dir/scripts/windows-imports.txt" | awk '{print toupper($1), $2}') || true)
  if [ -n "$unknown" ]; then
    echo "FAILED: $exe imports functions not known to exist on Windows 7:"
    echo "$unknown"
    imports_failed=1
  else
    echo "ok: $exe imports only what Windows 7 has"
  fi
done

failed=$imports_failed
# check NAME EXPECTED-STATUS TEXT COMMAND...: TEXT is in the command's output. Under wine,
# now and then (about once in a thousand runs, on a loaded machine) a program's output
# through a pipe comes back empty, with no message; the same program run again at once
# gives it. A check that fails so is run once more, and says so.
check() {
  local name=$1 status=$2 text=$3
  shift 3
  local out rc attempt
  for attempt in first again; do
    rc=0
    out=$("$@" 2>&1) || rc=$?
    if [ "$rc" -eq "$status" ] && grep -qF -- "$text" <<<"$out"; then
      echo "ok: $name"
      return 0
    fi
    if [ "$attempt" = first ]; then
      echo "run again: $name (status $rc, wanted $status and \"$text\"; output: $(head -c 200 <<<"$out"))"
    fi
  done
  echo "FAILED: $name (status $rc, wanted $status and \"$text\"):"
  echo "$out" | head -20
  failed=1
}
report() { "$wine" "$build/src/tarnwick-report.exe" "$@"; }

for locale in C.UTF-8 zh_CN.UTF-8; do
  export LC_ALL=$locale
  echo "== Windows leg, LC_ALL=$locale =="
  "$wine" "$build/tests/unit_tests.exe" --gtest_brief=1 >"$build/unit-$locale.log" 2>&1 ||
    { tail -40 "$build/unit-$locale.log"; failed=1; }
  grep -E '^\[  (PASSED|FAILED)' "$build/unit-$locale.log" || true

  check "the local server's sites, no options" 0 "企业门户,2,C:\\网站日志\\W3SVC2\\" \
    report --list-sites --format csv
  check "the last 7 days of site 1" 0 "$today_utc,$iso_utc,1,2,0,0,C:\\inetpub\\logs\\LogFiles\\W3SVC1\\u_ex$today_utc.log,ok" \
    report --site 1 --last 7 --format csv
  check "seven rows" 0 "7" bash -c "$(declare -f report); wine=$wine build=$build; report --site 1 --last 7 --format csv | grep -c ',ok\$'"
  check "a Chinese site name as an argument" 0 "$today_local,$iso_local,0,0,0,1,C:\\网站日志\\W3SVC2\\u_ex$today_local.log,ok" \
    report --site 企业门户 --today --format csv
  check "a Chinese folder name as an argument" 0 "$today_local,$iso_local,0,0,0,1" \
    report --file "C:\\网站日志\\W3SVC2\\u_ex$today_local.log" --format csv
  check "Chinese headers on a terminal table" 0 "日期    百度蜘蛛" report --file \
    "C:\\inetpub\\logs\\LogFiles\\W3SVC1\\u_ex$today_utc.log"
  "$wine" "$build/tests/window_tests.exe" --gtest_brief=1 --gtest_filter='window_test.*:local_server.the_window*' \
    >"$build/window-$locale.log" 2>&1 || { tail -40 "$build/window-$locale.log"; failed=1; }
  grep -E '^\[  (PASSED|FAILED)' "$build/window-$locale.log" || true

  mv "$config/applicationHost.config" "$config/applicationHost.config.away"
  check "no configuration: one line, status 1" 1 "IIS is not installed on this computer" \
    report --list-sites
  "$wine" "$build/tests/window_tests.exe" --gtest_brief=1 --gtest_filter='local_server.without*' \
    >"$build/window-missing-$locale.log" 2>&1 || { tail -20 "$build/window-missing-$locale.log"; failed=1; }
  grep -E '^\[  (PASSED|FAILED)' "$build/window-missing-$locale.log" || true
  mv "$config/applicationHost.config.away" "$config/applicationHost.config"
done
exit $failed
