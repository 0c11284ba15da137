#!/usr/bin/env bash
# Benchmark of the updater against nginx on loopback, not part of the test run:
#  1. one 200 MB file with limit_rate per connection: Haldor's five ranges (the whole update
#     run, from start to the lobby start) against a single-connection curl of the same file;
#  2. MD5 throughput of Haldor's digest against md5sum on the same file.
# Usage: bench/haldor_bench.sh [build folder] (default build/normal, which must hold bin/Haldor).
set -euo pipefail
calc() { awk "BEGIN { print $1 }"; }
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/normal}
haldor=$build/bin/Haldor
[ -x "$haldor" ] || { echo "haldor_bench: no $haldor; build first" >&2; exit 2; }
size_mb=${HALDOR_BENCH_MB:-200}
rate=${HALDOR_BENCH_RATE:-16m}

work=$(mktemp -d /tmp/haldor-bench-XXXXXX)
nginx_pid=
cleanup() {
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root/update/1" "$work/root/update/2" "$work/nginx" "$work/install"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/root/update/1/big.pak"
md5=$(md5sum "$work/root/update/1/big.pak" | cut -d' ' -f1)
length=$(stat -c %s "$work/root/update/1/big.pak")

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
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
    server {
        listen 127.0.0.1:$port;
        root $work/root;
        limit_rate $rate;
    }
}
CONF
/usr/sbin/nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
nginx_pid=$!
for _ in $(seq 50); do
    curl -s -o /dev/null "http://127.0.0.1:$port/" && break
    sleep 0.1
done

manifest() { # product max urls files...
    printf '<?xml version="1.0" encoding="GB2312" ?> \r\n<xmlRoot keyname="KeyValue">\r\n'
    printf '\t<Product productVerion="%s" maxVersion="%s" UrlList1="%s" UrlList2="" UrlList3=""\r\n UrlList4="" UrlList5="" UrlList6="" UrlList7="" UrlList8="" filenum="%s">\r\n' "$1" "$2" "$3" "$4"
    if [ "$4" = 1 ]; then
        printf '\t\t<File>\r\n\t\t\t<FileName>big.pak</FileName>\r\n\t\t\t<FileVersion>1.0.0.1</FileVersion>\r\n\t\t\t<ProductVersion>1.0.0.1</ProductVersion>\r\n\t\t\t<Length>%s</Length>\r\n\t\t\t<FileDateLow>0</FileDateLow>\r\n\t\t\t<FileDateHigh>30000000</FileDateHigh>\r\n\t\t\t<InstallDir>CURRENTDIR</InstallDir>\r\n\t\t\t<LocalPath></LocalPath>\r\n\t\t\t<Md5>%s</Md5>\r\n\t\t</File>\r\n' "$length" "$md5"
    fi
    printf '\t</Product>\r\n</xmlRoot>\r\n'
}
address="127.0.0.1:$port"
manifest 2 2 "$address" 0 > "$work/root/update/VerAndUrl.xml"
manifest 2 "" "" 1 > "$work/root/update/1/FileConfig.xml"
manifest 2 "" "" 0 > "$work/root/update/2/FileConfig.xml"

cp "$haldor" "$work/install/Haldor"
printf '#!/bin/sh\nexit 0\n' > "$work/install/MorvickNew"
chmod +x "$work/install/MorvickNew"
printf '[Version]\r\nCurrentVersion=1\r\n[Temp]\r\nTemp1=%s\r\n' "$address" > "$work/install/UpdateTemp.ini"

echo "file: $size_mb MB, limit_rate $rate per connection, nginx on 127.0.0.1:$port"
start=$(date +%s.%N)
curl -s -o "$work/curl.pak" "http://$address/update/1/big.pak"
curl_s=$(calc "$(date +%s.%N) - $start")
[ "$(md5sum "$work/curl.pak" | cut -d' ' -f1)" = "$md5" ] || { echo "curl copy differs" >&2; exit 1; }
rm -f "$work/curl.pak"

start=$(date +%s.%N)
(cd "$work/install" && SystemRoot="$work/install/win" ./Haldor < /dev/null | while IFS= read -r line; do echo "$(date +%s.%N) $line"; done > "$work/haldor.out")
haldor_s=$(calc "$(date +%s.%N) - $start")
[ "$(md5sum "$work/install/big.pak" | cut -d' ' -f1)" = "$md5" ] || {
    echo "Haldor did not install the file:" >&2; cat "$work/haldor.out" >&2; exit 1; }

t_begin=$(awk '/正在更新版本号为/ { print $1; exit }' "$work/haldor.out")
t_end=$(awk '/下载文件成功/ { print $1; exit }' "$work/haldor.out")
transfer_s=$(calc "$t_end - $t_begin")
printf 'curl, one connection:        %7.2f s  %7.1f MB/s\n' "$curl_s" "$(calc "$size_mb / $curl_s")"
printf 'Haldor, five ranges (whole run incl. MD5 and 0.6 s of timers): %7.2f s  %7.1f MB/s\n' \
    "$haldor_s" "$(calc "$size_mb / $haldor_s")"
printf 'Haldor, the file alone (five ranges and the MD5 check): %7.2f s  %7.1f MB/s\n' \
    "$transfer_s" "$(calc "$size_mb / $transfer_s")"
printf 'ratio curl / Haldor, whole run:  %5.2f   the file alone: %5.2f (physical limit 5)\n' \
    "$(calc "$curl_s / $haldor_s")" "$(calc "$curl_s / $transfer_s")"

c++ -std=c++20 -O2 -I"$top" "$top/bench/haldor_md5_bench.cpp" "$top/updater/md5_digest.cpp" \
    -lcrypto -o "$work/haldor_md5_bench"
file=$work/install/big.pak
cat "$file" > /dev/null
read -r digest md5_s < <("$work/haldor_md5_bench" "$file")
[ "$digest" = "$md5" ] || { echo "digest differs: $digest" >&2; exit 1; }
start=$(date +%s.%N)
md5sum "$file" > /dev/null
md5sum_s=$(calc "$(date +%s.%N) - $start")
printf 'MD5, Haldor digest:          %7.3f s  %7.1f MB/s\n' "$md5_s" "$(calc "$size_mb / $md5_s")"
printf 'MD5, md5sum:                 %7.3f s  %7.1f MB/s\n' "$md5sum_s" "$(calc "$size_mb / $md5sum_s")"
