# bash completion for velmora-cli: its commands, the options of each
# command, the port names that 'velmora-cli ports' lists, and file names.
# Installed as share/bash-completion/completions/velmora-cli.

_velmora_cli_files()
{
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY+=($(compgen -f -- "$1"))
}

_velmora_cli()
{
    local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}"
    COMPREPLY=()
    case "$prev" in
        --backup | --log) _velmora_cli_files "$cur"; return ;;
        --timeout | --reply-timeout | --connect-timeout | --firmware) return ;;
    esac

    # The command, and how many of its arguments come before the word.
    local command="" position=0 skip="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        local word="${COMP_WORDS[i]}"
        if [[ -n $skip ]]; then
            skip=""
        elif [[ $word == --backup || $word == --timeout || $word == --reply-timeout || $word == --connect-timeout || $word == --log || $word == --firmware ]]; then
            skip=1
        elif [[ $word == -* ]]; then
            :
        elif [[ -z $command ]]; then
            command="$word"
        else
            ((position++))
        fi
    done

    if [[ $cur == -* ]]; then
        local options="--quiet --help"
        case "$command" in
            "") options="--help --version" ;;
            read) options+=" --timeout --reply-timeout --connect-timeout --log" ;;
            diff) options+=" --timeout --reply-timeout --connect-timeout" ;;
            write) options+=" --backup --no-verify --force --dry-run --timeout --reply-timeout --connect-timeout --log" ;;
            check) options+=" --firmware" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "ports read write diff check" -- "$cur"))
        return
    fi
    case "$command:$position" in
        read:0 | write:0 | diff:0)
            local ports
            ports="$("${COMP_WORDS[0]}" ports 2>/dev/null | tail -n +2 | cut -f1)"
            COMPREPLY=($(compgen -W "$ports" -- "$cur"))
            # diff compares two files as well.
            [[ $command == diff ]] && _velmora_cli_files "$cur"
            ;;
        read:1 | write:1 | diff:1 | check:0)
            _velmora_cli_files "$cur"
            ;;
    esac
}
complete -F _velmora_cli velmora-cli
