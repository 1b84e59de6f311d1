// Only here to give the tests' precompiled headers a target to be built with.
