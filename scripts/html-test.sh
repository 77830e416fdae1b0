#!/usr/bin/env bash
# html-test.sh BUILD: the report's HTML page in a real browser. Writes a page from logs
# whose values try to be markup, then has headless Chromium load it: no console error and
# nothing refused, the chart and every row the csv gives in its DOM, the values as text,
# a screenshot that is drawn, and a PDF print.
set -euo pipefail

build=$(cd "$1" && pwd)
report=$build/src/tarnwick-report
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
ok() { echo "ok: $1"; }
bad() { echo "FAILED: $1"; failed=1; }

# A day of crawler lines with the fields the detail reads, and values that are markup.
log=$work/u_ex261207.log
{
  printf '#Software: Microsoft Internet Information Services 10.0\r\n'
  printf '#Fields: date time c-ip cs-uri-stem sc-status sc-bytes time-taken cs(User-Agent)\r\n'
  for h in 00 03 07 09 12 18 23; do
    printf '2026-12-07 %s:10:00 66.249.71.%s /news/a.html 200 2048 15 Googlebot/2.1\r\n' "$h" "1$h"
    printf '2026-12-07 %s:20:00 220.181.7.%s /index.html 404 512 5 Baiduspider\r\n' "$h" "2$h"
  done
  printf '2026-12-07 10:00:00 66.249.71.9 /<script>alert(1)</script> 200 1 1 Googlebot/2.1\r\n'
  printf '2026-12-07 10:00:01 66.249.71.9 /"><img/src=x/onerror=alert(2)> 200 1 1 Googlebot/2.1\r\n'
} >"$log"
page=$work/report.html
"$report" --file "$log" --detail --format html --output "$page"

browser=(chromium --headless --no-sandbox --disable-gpu --disable-extensions
         --no-first-run --user-data-dir="$work/profile" --enable-logging=stderr --v=0)
"${browser[@]}" --dump-dom "file://$page" >"$work/dom.html" 2>"$work/console.log" || true

if grep -E 'CONSOLE|Refused to|net::ERR' "$work/console.log" >/dev/null; then
  bad "the page loads without a console error or a request"
  grep -E 'CONSOLE|Refused to|net::ERR' "$work/console.log" | head -5
else
  ok "the page loads without a console error or a request"
fi

series=$(grep -o '<g class="series"' "$work/dom.html" | wc -l)
[ "$series" -eq 4 ] && ok "the chart has a line for each of the four crawlers" ||
  bad "the chart has $series lines, not 4"

# Every row of the csv stands in the page's table with the same counts.
rows_ok=1
while IFS=, read -r day _date baidu google yahoo soso _rest; do
  cells="<td class=\"t\">$day</td><td>$baidu</td><td>$google</td><td>$yahoo</td><td>$soso</td>"
  grep -qF -- "$cells" "$work/dom.html" || { rows_ok=0; echo "  missing: $cells"; }
done < <("$report" --file "$log" --format csv | tail -n +2)
[ "$rows_ok" -eq 1 ] && ok "the rows the csv gives, in the page" || bad "the rows the csv gives, in the page"

# With --verify, each crawler's verdicts stand in the table as the browser shows it.
mkdir -p "$work/ranges"
echo '{"creationTime":"2026-12-01T00:00:00","prefixes":[{"ipv4Prefix":"66.249.71.0/24"}]}' \
  >"$work/ranges/common-crawlers.json"
"$report" --file "$log" --verify --no-dns --ranges "$work/ranges" --format html \
  --output "$work/verified.html" 2>/dev/null
"${browser[@]}" --dump-dom "file://$work/verified.html" >"$work/verified-dom.html" 2>/dev/null || true
if grep -qF '<th>谷歌蜘蛛 真/假/未验证</th>' "$work/verified-dom.html" &&
   grep -qF '<td>0/0/7</td><td>9/0/0</td>' "$work/verified-dom.html"; then
  ok "verified, fake and unverified lines per crawler, in the page"
else
  bad "verified, fake and unverified lines per crawler, in the page"
fi

if grep -qiE '<script|<img' "$work/dom.html"; then
  bad "values from the log stay text"
elif grep -qF '&lt;script&gt;alert(1)&lt;/script&gt;' "$work/dom.html" &&
     grep -qF '&lt;img/src=x/onerror=alert(2)&gt;' "$work/dom.html"; then
  ok "values from the log stay text"
else
  bad "values from the log are shown"
fi

"${browser[@]}" --window-size=1000,1400 --screenshot="$work/page.png" "file://$page" \
  >/dev/null 2>&1 || true
size=$(stat -c %s "$work/page.png" 2>/dev/null || echo 0)
# A blank page of that size compresses to a few KB; a drawn one to far more.
[ "$size" -gt 40000 ] && ok "a screenshot of the page is drawn ($size bytes)" ||
  bad "the screenshot is blank or missing ($size bytes)"

"${browser[@]}" --no-pdf-header-footer --print-to-pdf="$work/page.pdf" "file://$page" \
  >/dev/null 2>&1 || true
if head -c 5 "$work/page.pdf" 2>/dev/null | grep -q '%PDF-' &&
   [ "$(grep -ao '/Type */Pages*' "$work/page.pdf" | grep -c 'Page$')" -ge 1 ]; then
  ok "it prints to PDF"
else
  bad "it prints to PDF"
fi
exit $failed
