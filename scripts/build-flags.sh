# The optimisation and debug-information flags of the three builds, shared by test.sh and
# fuzz.sh so that both configure build-asan/ alike. Line tables only: stack traces and
# sanitizer reports keep their files and lines, and the builds spend less time on debug
# information.
ORV_RELWITHDEBINFO_FLAGS="-O2 -g1 -DNDEBUG"
ORV_ASAN_FLAGS="-O1 -gline-tables-only"
ORV_TSAN_FLAGS="-O1 -g1"
