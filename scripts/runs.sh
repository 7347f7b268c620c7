# The six runs of the bundled examples: name, answers to the mode and rheology questions, entry file,
# coefficient file (empty for Constant). Sourced by the scripts that run them.
RUNS=(
    "direct_constant|d c|direct_constant_entry.txt|"
    "direct_smatch|d s|direct_smatch_entry.txt|smatch_direct.txt"
    "direct_ws18|d w|direct_ws18_entry.txt|ws18_direct.txt"
    "inverse_constant|i c|inverse_constant_entry.txt|"
    "inverse_smatch|i s|inverse_smatch_entry.txt|smatch_inverse.txt"
    "inverse_ws18|i w|inverse_ws18_entry.txt|ws18_inverse.txt"
)

# run_example NAME ANSWERS ENTRY COEFFICIENTS EXIT: one run of rollbite ($ROLLBITE) in examples/.
run_example() {
    local answers
    answers=$(printf '%s\n' $2 "$3" "$5")
    [ -n "$4" ] && answers=$(printf '%s\n%s' "$answers" "$4")
    (cd examples && printf '%s\n' "$answers" | "$ROLLBITE" > /dev/null)
}
