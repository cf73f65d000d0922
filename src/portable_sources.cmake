# Source files free of Win32 headers (paths relative to src/). They are part
# of the program and are also built natively for the Linux tests.
set(QOR_PORTABLE_SOURCES
)
