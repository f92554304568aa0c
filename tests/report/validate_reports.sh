#!/usr/bin/env bash
# The sample runs' reports as their readers take them: the JUnit XML against
# the schema of the Jenkins xunit plugin, the HTML page through tidy's HTML5
# check (no warning allowed) and as well-formed XML, the chart as SVG.
#   validate_reports.sh REPORT_SAMPLE
set -euo pipefail
sample=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$sample" "$work"

xmllint --noout --schema "$here/junit-10.xsd" "$work/junit.xml"
xmllint --noout "$work/report.html" "$work/chart.svg"
# tidy: 0 clean, 1 warnings, 2 errors; its report goes to the log either way.
tidy -quiet -errors --doctype html5 "$work/report.html"
# Japanese names need the page to say its encoding; tidy does not ask for it.
grep -q '<meta charset="utf-8"/>' "$work/report.html"
# Self-contained: nothing loaded from elsewhere, no script.
if grep -Eq '<script|<link|src=|url\(|@import|href="[^#]' "$work/report.html"; then
  echo "report.html refers to something outside itself" >&2
  exit 1
fi
echo "junit.xml, report.html and chart.svg validate"
