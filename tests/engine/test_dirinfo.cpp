// Stub: being written.
