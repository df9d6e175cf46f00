# The smoke check of a started program, shared by .ci/check-package and
# .ci/check-clean-install (sourced, not run).

# Waits up to 30 s for the main window "Lernora" on X display $1 (empty: the
# current one). It is 987 x 748 as designed; a message box is also called
# "Lernora", but small.
wait_for_main_window() {
  local i
  for i in $(seq 1 150); do
    if xwininfo ${1:+-display "$1"} -root -tree 2>/dev/null | grep "\"Lernora\": (\"lernora\"" \
       | grep -Eq " (9[0-9]{2}|1[0-9]{3})x[0-9]+\+"; then return 0; fi
    sleep 0.2
  done
  return 1
}

# Prints each of the six table files missing from data directory $1; fails
# when one is.
missing_table_files() {
  local f missing=0
  for f in thetable.DB tmptable.DB bericht.db berdet.DB hints.db uebersB.DB; do
    [ -f "$1/$f" ] || { echo "$1/$f not created"; missing=1; }
  done
  return "$missing"
}
