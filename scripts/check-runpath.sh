#!/bin/sh
# Fails when a program or library in the given folders has a run path entry
# that is empty (the current directory), relative without $ORIGIN, or a
# folder others may write to.
status=0
for dir in "$@"; do
    for file in "$dir"/*; do
        [ -f "$file" ] || continue
        head -c 4 "$file" | grep -q 'ELF' || continue
        paths=$(readelf -d "$file" | sed -n 's/.*R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p')
        [ -n "$paths" ] || continue
        case ":$paths:" in
            *::*) echo "$file: empty run path entry in [$paths]"; status=1; continue ;;
        esac
        old_ifs=$IFS
        IFS=:
        for entry in $paths; do
            case "$entry" in
                '$ORIGIN'*) ;;
                /*)
                    if [ -n "$(find "$entry" -maxdepth 0 -perm -o+w 2>/dev/null)" ]; then
                        echo "$file: run path entry $entry is writable by others"; status=1
                    fi ;;
                *) echo "$file: relative run path entry $entry"; status=1 ;;
            esac
        done
        IFS=$old_ifs
    done
done
exit $status
