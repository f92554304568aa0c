# Sourced by the build scripts: compile through ccache where the machine has it,
# so a fresh clone (CI's) reuses what an earlier build of the same sources compiled.
# Paths are taken relative to the tree, so a clone in another folder still hits.
cache_flags=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  # The tests' precompiled headers (system headers only, made just before the
  # files that use them): without this, ccache compiles those files every time.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  cache_flags=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
