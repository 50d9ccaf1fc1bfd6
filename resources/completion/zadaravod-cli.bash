# bash completion for zadaravod-cli                          -*- shell-script -*-
#
# Every command is one line of the table below: the words that follow the
# command's name, in order, then "--" and its options. Adding a command, or
# an option to one, changes that table and nothing else.
#
# Words:
#   project     a project: its folder (<name>.winproj) or its project file
#   newproject  where a new project goes: a folder, then <name>.winproj
#   sound       a sound file (WAV, MP3, WMA, ...)
#   image       a flash image (*.bin)
#   wav         a WAV file to write
#   dir         a folder
#   pair        a <key>=<value> setting of `set`
#   a|b|c       one of these words (a command of the command)
#   text        a word that is not completed (numbers, list items)
#   X...        the word X, as often as wanted
# Options: --name for a switch, --name:kind for one with a value, where kind
# is one of the words above, or rate (a sampling rate) or text.

declare -gA _zadaravod_cli_commands=(
    [new]='newproject'
    [info]='project -- --json'
    [check]='project -- --json'
    [import]='project sound... -- --trim --normalize --threshold:text --loudness:text'
    [remove]='project text'
    [clear-library]='project'
    [music]='project load|clear sound -- --rate:rate --trim --normalize --threshold:text --loudness:text'
    [list]='project text add|delete|move|clear text... -- --before:text'
    [clear-lists]='project'
    [set]='project pair...'
    [build]='project'
    [inspect]='image -- --json --extract:dir --force'
    [convert]='sound wav -- --rate:rate --trim --normalize --threshold:text --loudness:text'
    [export]='project -- --open'
    [say]='project text -- --to:wav --voice:text --rate:rate --speed:text --pitch:text --name:text --voices --trim --normalize --threshold:text --loudness:text'
    [process]='project text -- --trim --normalize --threshold:text --loudness:text'
    [play]='project -- --sound:text --list:text --from:text --music --as-chip'
)

# The values of `set`'s keys; key<N> and key<N>.list stand for key1..key24.
declare -gA _zadaravod_cli_set_values=(
    [mode]='one-line three-line mp3 matrix parallel extended key'
    [output]='dac pwm'
    [busy]='low high'
    [pullup]='on off'
    [music]='on off'
    [flash]='4M 2M 1M 512K 256K'
    [key]='no-function edge-retrigger edge-no-retrigger level-hold-loop level-loop on/off
           next-unloop prev-unloop next-loop prev-loop level-unloop pause vol+ vol- stop'
    [key.list]=''
)

_zadaravod_cli_rates='4000 6000 8000 10000 12000 14000 16000 18000 20000 22000'

# Adds to COMPREPLY the words of $1 (blank-separated) that start with $2.
_zadaravod_cli_words() {
    local IFS=$' \t\n'
    COMPREPLY+=($(compgen -W "$1" -- "$2"))
}

# Adds to COMPREPLY the folders and the files ending in one of the given
# extensions (any case) that start with $1.
_zadaravod_cli_files() {
    local cur=$1 entry lower ext IFS=$'\n'
    shift
    for entry in $(compgen -f -- "$cur"); do
        lower=${entry,,}
        if [[ -d $entry ]]; then
            COMPREPLY+=("$entry")
            continue
        fi
        for ext in "$@"; do
            if [[ $lower == *."$ext" ]]; then
                COMPREPLY+=("$entry")
                break
            fi
        done
    done
}

# Adds to COMPREPLY the completions of the word $2 of kind $1.
_zadaravod_cli_complete_kind() {
    local kind=$1 cur=$2 IFS=$' \t\n'
    case $kind in
        project) _zadaravod_cli_files "$cur" winproj ;; # the folder, or the file in it
        newproject | dir) local IFS=$'\n' && COMPREPLY+=($(compgen -d -- "$cur")) ;;
        sound) _zadaravod_cli_files "$cur" wav mp3 wma ogg flac m4a aac opus ;;
        image) _zadaravod_cli_files "$cur" bin ;;
        wav) _zadaravod_cli_files "$cur" wav ;;
        rate) _zadaravod_cli_words "$_zadaravod_cli_rates" "$cur" && return 0 ;;
        pair) _zadaravod_cli_complete_pair "$cur" && return 0 ;;
        *'|'*) _zadaravod_cli_words "${kind//|/ }" "$cur" && return 0 ;;
        *) return 0 ;;
    esac
    # Paths: quoted as file names, a "/" and no blank after a folder.
    compopt -o filenames 2>/dev/null
    return 0
}

# `set`'s pairs: the keys with their "=", then the values of the key typed.
_zadaravod_cli_complete_pair() {
    local cur=$1 key value prefix="" generic v n keys=() IFS=$' \t\n'
    if [[ $cur == *=* ]]; then
        key=${cur%%=*}
        value=${cur#*=}
        # With "=" among the word breaks bash replaces only what follows it.
        [[ $COMP_WORDBREAKS == *=* ]] || prefix="$key="
        generic=$key
        [[ $key =~ ^key([1-9]|1[0-9]|2[0-4])(\.list)?$ ]] && generic="key${BASH_REMATCH[2]}"
        for v in ${_zadaravod_cli_set_values[$generic]-}; do
            [[ $v == "$value"* ]] && COMPREPLY+=("$prefix$v")
        done
        return 0
    fi
    for key in "${!_zadaravod_cli_set_values[@]}"; do
        [[ $key == key* ]] || keys+=("$key=")
    done
    for ((n = 1; n <= 24; n++)); do keys+=("key$n=" "key$n.list="); done
    _zadaravod_cli_words "${keys[*]}" "$cur"
    compopt -o nospace 2>/dev/null
    return 0
}

_zadaravod_cli() {
    COMPREPLY=()
    local IFS=$' \t\n' words=() i cword=0 w
    # The words as typed: bash splits "mode=key" at "=" (COMP_WORDBREAKS);
    # join such pieces again.
    for ((i = 0; i < ${#COMP_WORDS[@]}; i++)); do
        w=${COMP_WORDS[i]}
        if ((i > 1)) && [[ $w == "=" || (-n $w && ${words[-1]} == *=) ]]; then
            words[-1]+=$w
        else
            words+=("$w")
        fi
        ((i == COMP_CWORD)) && cword=$((${#words[@]} - 1))
    done
    local cur=${words[cword]-}

    if ((cword == 1)); then
        _zadaravod_cli_words "${!_zadaravod_cli_commands[*]} --help --version" "$cur"
        return 0
    fi
    local spec=${_zadaravod_cli_commands[${words[1]}]-}
    [[ -n $spec ]] || return 0

    # The command's positional words, and its options with the kind of
    # their value ("" for a switch).
    local positional=() token in_options=0
    local -A options=([--help]="")
    for token in $spec; do
        if [[ $token == -- ]]; then
            in_options=1
        elif ((in_options)); then
            if [[ $token == *:* ]]; then options[${token%%:*}]=${token#*:}; else options[$token]=""; fi
        else
            positional+=("$token")
        fi
    done

    # Which positional word the cursor is on, or which option's value.
    local index=0 expects=""
    for ((i = 2; i < cword; i++)); do
        w=${words[i]}
        if [[ -n $expects ]]; then
            expects=""
        elif [[ $w == --* && $w != *=* && -n ${options[$w]-} ]]; then
            expects=${options[$w]}
        elif [[ $w == -* ]]; then
            :
        elif ((index < ${#positional[@]})); then
            [[ ${positional[index]} == *... ]] || ((index++))
        fi
    done

    if [[ -n $expects ]]; then
        _zadaravod_cli_complete_kind "$expects" "$cur"
    elif [[ $cur == --*=* ]]; then
        local kind=${options[${cur%%=*}]-}
        [[ -n $kind ]] && _zadaravod_cli_complete_kind "$kind" "${cur#*=}"
        # Without "=" among the word breaks bash replaces the whole word.
        [[ $COMP_WORDBREAKS == *=* ]] || COMPREPLY=("${COMPREPLY[@]/#/${cur%%=*}=}")
    elif [[ $cur == -* ]]; then
        _zadaravod_cli_words "${!options[*]}" "$cur"
    elif ((index < ${#positional[@]})); then
        _zadaravod_cli_complete_kind "${positional[index]%...}" "$cur"
    fi
    return 0
}

complete -F _zadaravod_cli zadaravod-cli
