# Portable phrase library and pool (target: engine_phrases).
