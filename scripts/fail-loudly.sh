# Sourced first by the scripts here. A command that fails and so ends the
# script (set -e) says which command it was, in which script and line, and
# its exit code: no step ends a run without a word.
set -eEuo pipefail
say_failed_step() {
  local code=$?
  echo "$(basename "${BASH_SOURCE[1]:-$0}"): stopped at line ${BASH_LINENO[0]}, exit $code: $BASH_COMMAND" >&2
}
trap say_failed_step ERR
