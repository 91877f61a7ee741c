# filled in by the fuzzing work
