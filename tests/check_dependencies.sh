#!/usr/bin/env bash
# Prints the arrows between the folders of src/ (how many #include lines cross each) and fails on
# an arrow that points up the order below, or on any circle. The order, top down; an arrow may
# skip levels downward:
#
#   app  ->  shell  ->  game  ->  scores  ->  display, sound  ->  state  ->  hosts  ->  machine  ->  host
#
# app/ holds each program's entry (app/desktop, app/web); hosts/ each machine's implementation of
# the host interface (hosts/sdl, hosts/web, hosts/posix), which the machine's code reaches only
# through host/.
set -u
src=${1:?usage: check_dependencies.sh SRC_FOLDER}/src
cd "$src" || exit 1
grep -rHE '^#include "[a-z_]+/' --include='*.cpp' --include='*.h' . |
awk -F: '
  function folder(path,    p) {
    sub(/^\.\//, "", path)
    split(path, p, "/")
    return (p[1] == "app" || p[1] == "hosts") ? p[1] "/" p[2] : p[1]
  }
  function rank(f) {
    if (f ~ /^app\//) return 9
    if (f == "shell") return 8
    if (f == "game") return 7
    if (f == "scores") return 6
    if (f == "display" || f == "sound") return 5
    if (f == "state") return 4
    if (f ~ /^hosts\//) return 3
    if (f == "machine") return 2
    if (f == "host") return 1
    return 0
  }
  {
    from = folder($1)
    line = $0; sub(/^[^:]*:#include "/, "", line); sub(/".*/, "", line)
    to = folder(line)
    if (from == to) next
    arrows[from " -> " to]++
    nodes[from]; nodes[to]
    reach[from, to] = 1
  }
  END {
    bad = 0
    for (a in arrows) {
      split(a, ends, " -> ")
      mark = ""
      if (rank(ends[1]) == 0 || rank(ends[2]) == 0) { mark = "  <- a folder outside the order"; bad = 1 }
      else if (rank(ends[2]) >= rank(ends[1])) { mark = "  <- points up"; bad = 1 }
      printf "%-28s %3d includes%s\n", a, arrows[a], mark | "sort"
    }
    close("sort")
    # Any circle, whatever the ranks say: the closure of the arrows reaching back to its start.
    for (k in nodes) for (i in nodes) if ((i, k) in reach) for (j in nodes) if ((k, j) in reach) reach[i, j] = 1
    for (n in nodes) if ((n, n) in reach) { print "circle through " n; bad = 1 }
    if (bad) exit 1
    print "no arrow points up, no circle"
  }'
