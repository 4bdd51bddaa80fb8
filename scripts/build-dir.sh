# Sourced by play.sh and test.sh, after they set $root.
# Each command builds in a folder of its own and passes every cache option its build
# depends on, so whatever configured the folder before (the other command, an
# interrupted run, an older checkout) cannot leave a setting behind in it.
#   zv_configure <build dir> <cmake -D options...>
zv_configure() {
  local dir=$1
  shift
  local fresh=()
  # A cache written for another source folder or generator stops cmake outright
  # (a moved clone, a folder made by hand): configure such a folder from scratch.
  if [ -f "$dir/CMakeCache.txt" ]; then
    local home generator
    home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$dir/CMakeCache.txt")
    generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$dir/CMakeCache.txt")
    if [ "$home" != "$root" ] || [ "$generator" != Ninja ]; then
      fresh=(--fresh)
    fi
  fi
  cmake "${fresh[@]}" -S "$root" -B "$dir" -G Ninja "$@"
}
