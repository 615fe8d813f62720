# snipvault.bash - bash completion of snipvault: commands, options,
# categories, and snippet names (asked of snipvault list).
_snipvault() {
  local cur prev cmd i
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  local categories="extend-types types functions subroutines constants inline"
  # the command is the first word that is neither an option nor its value
  cmd=""
  local catalogue=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --catalogue) catalogue=(--catalogue "${COMP_WORDS[i+1]}"); ((i++)) ;;
      -c|--category|-d|--description|-a|--author) ((i++)) ;;
      -*) ;;
      *) cmd=${COMP_WORDS[i]}; break ;;
    esac
  done
  case $prev in
    -c|--category) COMPREPLY=($(compgen -W "$categories" -- "$cur")); return ;;
    --catalogue) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    -d|--description|-a|--author) COMPREPLY=(); return ;;
  esac
  if [[ -z $cmd ]]; then
    COMPREPLY=($(compgen -W "list show search add copy path --catalogue --help --version --pick" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    local opts="--help"
    case $cmd in
      list) opts+=" --json" ;;
      show) opts+=" -c --all --json" ;;
      search) opts+=" -c --json" ;;
      add) opts+=" -d -a --allow-bar" ;;
      copy) opts+=" -c" ;;
    esac
    COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    return
  fi
  case $cmd in
    list) COMPREPLY=($(compgen -W "$categories" -- "$cur")) ;;
    add) [[ $prev == add ]] && COMPREPLY=($(compgen -W "$categories" -- "$cur")) ;;
    show|copy)
      # names may hold blanks: one candidate a line, quoted for the shell
      local IFS=$'\n' name
      COMPREPLY=()
      for name in $("${COMP_WORDS[0]}" "${catalogue[@]}" list 2>/dev/null | cut -f1); do
        [[ $name == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
      done
      ;;
  esac
}
complete -F _snipvault snipvault
