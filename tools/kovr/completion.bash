# Bash completion for kovr: its commands, each command's options, and the
# values of the options that have a fixed set of them.

_kovr_session_options='--magic --guid'
_kovr_password_options='--password-file --password-stdin'

# A command and its options; a new command is one more line here. Global,
# since bash-completion sources this file inside a function.
declare -gA _kovr_command_options=(
    [search]="--requests --idle --total --json --csv $_kovr_session_options"
    [watch]="--total --requests --json --csv $_kovr_session_options"
    [info]="--json --retries $_kovr_session_options"
    [set-ip]="--ip --mask --gateway --retries $_kovr_password_options --require-digest $_kovr_session_options"
    [dhcp]="--retries $_kovr_password_options --require-digest $_kovr_session_options"
    [reboot]="--wait $_kovr_password_options --require-digest $_kovr_session_options"
    [check]="--json --requests --idle --total"
    [apply]="--dry-run $_kovr_password_options --require-digest --parallel --deadline --json --requests --idle --total"
    [metrics]="--output --requests --idle --total"
    [forget]=""
)

_kovr() {
    local cur="${COMP_WORDS[COMP_CWORD]}"
    local previous="${COMP_WORDS[COMP_CWORD - 1]}"
    COMPREPLY=()
    case "$previous" in
        --password-file | --output)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --magic)
            mapfile -t COMPREPLY < <(compgen -W 'QUMA LORX TESK' -- "$cur")
            return
            ;;
        --idle | --total | --deadline)
            mapfile -t COMPREPLY < <(compgen -W 'infinite' -- "$cur")
            return
            ;;
        --guid | --ip | --mask | --gateway | --parallel | --requests | --retries)
            return
            ;;
    esac
    local command="" word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD - 1}"; do
        if [[ -n "${_kovr_command_options[$word]+set}" ]]; then
            command="$word"
            break
        fi
    done
    if [[ -z "$command" ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${!_kovr_command_options[*]} --help --version" -- "$cur")
    elif [[ "$cur" == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${_kovr_command_options[$command]} --help" -- "$cur")
    elif [[ "$command" == apply ]]; then
        # The plan file.
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _kovr kovr
