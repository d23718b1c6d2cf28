int probeEntry(void) { return 0; }
