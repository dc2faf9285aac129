# Portable message cycle (target: engine_cycle) and, on Windows, the message window.
