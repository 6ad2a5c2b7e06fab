#!/usr/bin/env bash
# Fails unless SITE is a built site without any of the test build's hooks.
set -u
site=$1
status=0
[ -f "$site/skypop.wasm" ] && [ -f "$site/skypop.js" ] || { echo "no site in $site (make web)"; exit 1; }
if grep -qE '_Skypop[A-Z]' "$site/skypop.js"; then
  echo "skypop.js exports test hooks:"; grep -oE '_Skypop[A-Za-z]+' "$site/skypop.js" | sort -u
  status=1
fi
if [ -e "$site/test_hooks.js" ] || grep -q 'test_hooks' "$site/index.html" "$site/service_worker.js"; then
  echo "the shipped page carries the test script"
  status=1
fi
for hook in skypopPassTimes createAnalyser; do
  if grep -q "$hook" "$site"/*.js; then echo "the shipped site mentions $hook"; status=1; fi
done
[ $status -eq 0 ] && echo "the shipped site carries no test hook"
exit $status
