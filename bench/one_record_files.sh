# A folder of N small files of one record each, made once in $WORK/scale and kept for later
# runs; sourced by the benchmarks that time many files. Prints the folder.
one_record_files() {
    local count=$1 folder=$WORK/scale/files-$1
    if [[ ! -f $folder/done ]]; then
        rm -rf "$folder" && mkdir -p "$folder"
        /usr/bin/python3 - "$folder" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    with open(os.path.join(folder, f"{i:06d}.xml"), "w") as f:
        f.write(f"<doc><record><id>{i}</id><name>item {i}</name></record></doc>\n")
PY
        touch "$folder/done"
    fi
    echo "$folder"
}
