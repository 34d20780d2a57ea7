# bash completion for qlvtool. Commands and options are read from qlvtool's own help, so they
# follow the installed version; file arguments complete by the extension their name implies.

_qlvtool_commands()
{
    "$1" --help 2>/dev/null | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p'
}

_qlvtool()
{
    local cur prev words cword
    _init_completion -s || return
    local tool=${words[0]}

    # The command is the first word that is not an option.
    local i command="" position=0
    for ((i = 1; i < cword; i++)); do
        if [[ -z $command && ${words[i]} != -* ]]; then
            command=${words[i]}
        elif [[ -n $command && ${words[i]} != -* && ${words[i - 1]} != --@(port|id|format|time|ports|hold-ms|port-map|trace) ]]; then
            ((position++))
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$(_qlvtool_commands "$tool")" -- "$cur"))
        fi
        return
    fi

    local help usage
    help=$("$tool" "$command" --help 2>/dev/null)
    case $prev in
        --port)
            COMPREPLY=($(compgen -W 'COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8' -- "$cur"))
            _filedir
            return
            ;;
        --port-map) _filedir ini; return ;;
        --trace) _filedir; return ;;
        --id | --format | --time | --ports | --hold-ms) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(sed -n 's/^  \(--[a-z-]*\).*/\1/p' <<<"$help")" -- "$cur"))
        return
    fi

    # The positional argument's name in the usage line tells which files fit.
    usage=$(sed -n '1s/^Usage: qlvtool //p' <<<"$help" | sed 's/\[[^]]*\]//g')
    local -a params=($usage)
    case ${params[position + 1]:-} in
        PROJECT) _filedir qlv ;;
        IMAGE) _filedir bin ;;
        LEGACY | FILE) _filedir ;;
        *) ;;
    esac
}
complete -F _qlvtool qlvtool
