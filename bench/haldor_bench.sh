#!/usr/bin/env bash
# Haldor against nginx on loopback (started here), in interleaved pairs with curl doing the same
# work: one connection downloading the file into a staging name, md5sum checking it, `sync`
# flushing it to disk (fsync) and `mv` installing it by rename. Haldor's side:
#   haldor-vs-curl-20m       the whole run (from start to its exit after starting the lobby, with
#                            the Part's timers) against curl's work, nginx limit_rate 20m per
#                            connection; the ratio is curl / Haldor (a speed-up)
#   haldor-transfer-vs-curl  no rate limit: from "updating the file" to "file downloaded" (five
#                            ranges, flush, MD5 check, install by rename) against curl's work
#   md5-vs-md5sum            a program computing Haldor's MD5 of the file against md5sum, both
#                            timed from their start to their exit, the file in the page cache
# Usage: bench/haldor_bench.sh [build folder] (default build/normal, holding bin/Haldor,
# bin/haldor_md5_bench and bin/bench_pairs). HALDOR_BENCH_MB (200), HALDOR_BENCH_RATE (20m),
# HALDOR_BENCH_PAIRS (5) change the figures.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/normal}
for program in Haldor haldor_md5_bench bench_pairs; do
    [ -x "$build/bin/$program" ] || { echo "haldor_bench: no $build/bin/$program; build first" >&2; exit 2; }
done
size_mb=${HALDOR_BENCH_MB:-200}
rate=${HALDOR_BENCH_RATE:-20m}
pairs=${HALDOR_BENCH_PAIRS:-5}

work=$(mktemp -d /tmp/haldor-bench-XXXXXX)
nginx_pid=
cleanup() {
    if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

mkdir -p "$work/data" "$work/nginx"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/data/big.pak"
md5=$(md5sum "$work/data/big.pak" | cut -d' ' -f1)
length=$(stat -c %s "$work/data/big.pak")

# Two distinct free ports: both sockets are bound while their numbers are read.
read -r limited_port free_port_ < <(python3 -c 'import socket
a, b = socket.socket(), socket.socket()
a.bind(("127.0.0.1", 0)); b.bind(("127.0.0.1", 0))
print(a.getsockname()[1], b.getsockname()[1])')
user_line=""
[ "$(id -u)" -eq 0 ] && user_line="user root;"
cat > "$work/nginx/nginx.conf" <<CONF
$user_line
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
    access_log off;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    sendfile on;
    server { listen 127.0.0.1:$limited_port; root $work/root-$limited_port; limit_rate $rate; }
    server { listen 127.0.0.1:$free_port_; root $work/root-$free_port_; }
}
CONF

manifest() { # product max urls files...
    printf '<?xml version="1.0" encoding="GB2312" ?> \r\n<xmlRoot keyname="KeyValue">\r\n'
    printf '\t<Product productVerion="%s" maxVersion="%s" UrlList1="%s" UrlList2="" UrlList3=""\r\n UrlList4="" UrlList5="" UrlList6="" UrlList7="" UrlList8="" filenum="%s">\r\n' "$1" "$2" "$3" "$4"
    if [ "$4" = 1 ]; then
        printf '\t\t<File>\r\n\t\t\t<FileName>big.pak</FileName>\r\n\t\t\t<FileVersion>1.0.0.1</FileVersion>\r\n\t\t\t<ProductVersion>1.0.0.1</ProductVersion>\r\n\t\t\t<Length>%s</Length>\r\n\t\t\t<FileDateLow>0</FileDateLow>\r\n\t\t\t<FileDateHigh>30000000</FileDateHigh>\r\n\t\t\t<InstallDir>CURRENTDIR</InstallDir>\r\n\t\t\t<LocalPath></LocalPath>\r\n\t\t\t<Md5>%s</Md5>\r\n\t\t</File>\r\n' "$length" "$md5"
    fi
    printf '\t</Product>\r\n</xmlRoot>\r\n'
}
for port in "$limited_port" "$free_port_"; do
    root=$work/root-$port
    mkdir -p "$root/update/1" "$root/update/2"
    ln "$work/data/big.pak" "$root/update/1/big.pak"
    manifest 2 2 "127.0.0.1:$port" 0 > "$root/update/VerAndUrl.xml"
    manifest 2 "" "" 1 > "$root/update/1/FileConfig.xml"
    manifest 2 "" "" 0 > "$root/update/2/FileConfig.xml"
done

/usr/sbin/nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
nginx_pid=$!
for port in "$limited_port" "$free_port_"; do
    ready=
    for _ in $(seq 100); do
        curl -s -o /dev/null "http://127.0.0.1:$port/update/VerAndUrl.xml" && { ready=1; break; }
        sleep 0.1
    done
    [ -n "$ready" ] || { echo "haldor_bench: nginx did not answer on port $port" >&2; cat "$work/nginx/error.log" >&2; exit 1; }
done

check_installed() { # file what
    [ "$(md5sum "$1" | cut -d' ' -f1)" = "$md5" ] || { echo "haldor_bench: $2 did not install the file" >&2; exit 1; }
}

# Prints "<whole run> <transfer>" in seconds for one Haldor run against the port.
haldor_run() {
    local install=$work/install address=127.0.0.1:$1
    rm -rf "$install" && mkdir -p "$install"
    cp "$build/bin/Haldor" "$install/Haldor"
    printf '#!/bin/sh\nexit 0\n' > "$install/MorvickNew"
    chmod +x "$install/MorvickNew"
    printf '[Version]\r\nCurrentVersion=1\r\n[Temp]\r\nTemp1=%s\r\n' "$address" > "$install/UpdateTemp.ini"
    local start end
    start=$EPOCHREALTIME
    (cd "$install" && SystemRoot="$install/win" ./Haldor < /dev/null |
        perl -MTime::HiRes=time -ne '$| = 1; printf "%.6f %s", time, $_' > "$work/haldor.out")
    end=$EPOCHREALTIME
    check_installed "$install/big.pak" Haldor
    local t_begin t_end
    t_begin=$(awk '/正在更新版本号为/ { print $1; exit }' "$work/haldor.out")
    t_end=$(awk '/下载文件成功/ { print $1; exit }' "$work/haldor.out")
    [ -n "$t_begin" ] && [ -n "$t_end" ] || { echo "haldor_bench: Haldor's output lacks its transfer lines:" >&2; cat "$work/haldor.out" >&2; exit 1; }
    echo "$(calc "$end - $start") $(calc "$t_end - $t_begin")"
}

# Prints the seconds curl's side takes against the port: download, check, flush, install.
curl_run() {
    local install=$work/install-curl start end
    rm -rf "$install" && mkdir -p "$install/staging"
    start=$EPOCHREALTIME
    curl -s -f -o "$install/staging/big.pak" "http://127.0.0.1:$1/update/1/big.pak"
    (cd "$install/staging" && echo "$md5  big.pak" | md5sum -c --status)
    sync "$install/staging/big.pak"
    mv "$install/staging/big.pak" "$install/big.pak"
    end=$EPOCHREALTIME
    check_installed "$install/big.pak" curl
    calc "$end - $start"
}

echo "Haldor and curl, a $size_mb MB file from nginx on loopback; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
: > "$work/rate.pairs"
: > "$work/transfer.pairs"
: > "$work/md5.pairs"
for _ in $(seq "$pairs"); do
    read -r whole _ < <(haldor_run "$limited_port")
    echo "$whole $(curl_run "$limited_port")" >> "$work/rate.pairs"
done
for _ in $(seq "$pairs"); do
    read -r _ transfer < <(haldor_run "$free_port_")
    echo "$transfer $(curl_run "$free_port_")" >> "$work/transfer.pairs"
done
file=$work/data/big.pak
cat "$file" > /dev/null
for _ in $(seq "$pairs"); do
    start=$EPOCHREALTIME
    "$build/bin/haldor_md5_bench" "$file" > "$work/md5.out"
    ours=$(calc "$EPOCHREALTIME - $start")
    read -r digest _ < "$work/md5.out"
    [ "$digest" = "$md5" ] || { echo "haldor_bench: Haldor's digest differs: $digest" >&2; exit 1; }
    start=$EPOCHREALTIME
    md5sum "$file" > "$work/md5.out"
    theirs=$(calc "$EPOCHREALTIME - $start")
    [ "$(cut -d' ' -f1 "$work/md5.out")" = "$md5" ] || { echo "haldor_bench: md5sum differs" >&2; exit 1; }
    echo "$ours $theirs" >> "$work/md5.pairs"
done

"$build/bin/bench_pairs" haldor-vs-curl-20m s "Haldor, whole run, limit_rate $rate" \
    "curl + md5sum + sync + mv" reference-over-project < "$work/rate.pairs"
"$build/bin/bench_pairs" haldor-transfer-vs-curl s "Haldor, five ranges to installed file" \
    "curl + md5sum + sync + mv" < "$work/transfer.pairs"
"$build/bin/bench_pairs" md5-vs-md5sum s "Haldor's MD5" "md5sum" < "$work/md5.pairs"
