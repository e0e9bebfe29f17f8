// Keeps the support library non-empty while no helper source exists.
