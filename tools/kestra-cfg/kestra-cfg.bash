# bash completion for kestra-cfg: its commands, each command's options, settings files, the
# names of the settings `set` takes and the values those offer as words, and folders for
# deploy's cards and --folder. Installed as share/bash-completion/completions/kestra-cfg.

# Completes file names, and folders to look in, that end in one of the given suffixes; every
# file when none is given.
_kestra_cfg_files()
{
    local cur=$1 suffix
    shift
    compopt -o filenames 2>/dev/null
    if [[ $# -eq 0 ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
    fi
    mapfile -t COMPREPLY < <(
        compgen -d -- "$cur"
        for suffix; do
            compgen -f -X "!*.$suffix" -- "$cur"
        done
    )
}

# Every setting name with the values it takes, as `kestra-cfg set --help` lists them:
# "NAME<tab>SYNTAX" lines.
_kestra_cfg_settings()
{
    "$1" set --help 2>/dev/null |
        sed -n 's/^    \([a-z0-9-]\{1,\}\) \{1,\}\(.*\)$/\1\t\2/p'
}

_kestra_cfg()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command= i
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]}
            break
        fi
    done
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "show set diff cards deploy convert factory
            --help --version" -- "$cur")
        return
    fi

    local options
    case $command in
    show | cards | diff) options="--json --help" ;;
    set) options="--json --from --help" ;;
    deploy)
        options="--all-cards --folder --each-inserted --count --quiet --labels --keep-labels --date-time --dry-run --json --log --help"
        ;;
    *) options="--help" ;;
    esac

    case $prev in
    --from)
        _kestra_cfg_files "$cur" json
        return
        ;;
    --labels | --log)
        _kestra_cfg_files "$cur" csv
        return
        ;;
    --date-time | --count)
        return # a date and time, or a number, of the user's choosing
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    # Which positional argument this is, not counting options and their values.
    local position=0
    for ((i = i + 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --from | --labels | --log | --date-time | --count) ((i++)) ;;
        = | -*) ;;
        *) [[ ${COMP_WORDS[i + 1]} == = ]] || ((position++)) ;;
        esac
    done

    case $command in
    set)
        # bash splits NAME=VALUE into NAME, = and VALUE; the cursor right after the = leaves
        # the = as the current word.
        local name=
        if [[ $cur == = ]]; then
            name=$prev cur=
        elif [[ $prev == = ]]; then
            name=${COMP_WORDS[COMP_CWORD - 2]}
        fi
        if ((position == 0)) && [[ -z $name ]]; then
            _kestra_cfg_files "$cur" cfg
        elif [[ -n $name ]]; then
            # The values of NAME that are single words.
            local syntax word words=
            syntax=$(_kestra_cfg_settings "$program" | sed -n "s/^$name\t//p")
            for word in ${syntax//|/ }; do
                [[ $word =~ ^[a-z0-9-]+$ ]] && words+=" $word"
            done
            mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
        else
            compopt -o nospace 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -W "$(_kestra_cfg_settings "$program" |
                cut -f1 | sed 's/$/=/')" -- "$cur")
        fi
        ;;
    deploy)
        # Mount paths of cards and the folders of --folder alike.
        if ((position == 0)); then
            _kestra_cfg_files "$cur" cfg
        else
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        fi
        ;;
    show | diff | convert)
        _kestra_cfg_files "$cur" cfg
        ;;
    factory)
        _kestra_cfg_files "$cur"
        ;;
    esac
}

complete -F _kestra_cfg kestra-cfg
