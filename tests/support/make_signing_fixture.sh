#!/usr/bin/env bash
# Makes the Authenticode fixtures from one small PE:
#   make_signing_fixture.sh IN.exe OUTDIR
# OUTDIR/test_root.der   a throw-away test root (the test trusts it in Wine)
# OUTDIR/signed.exe      IN signed by a code-signing certificate of that root
# OUTDIR/tampered.exe    signed.exe with one byte of its code changed
# OUTDIR/unsigned.exe    IN as it is
set -euo pipefail
in=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

cat >"$work/ext.cnf" <<'CNF'
[root]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
authorityKeyIdentifier = keyid
CNF

openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Torvane Test Root" \
  -keyout "$work/root.key" -out "$work/root.pem" -extensions root -config <(cat /etc/ssl/openssl.cnf "$work/ext.cnf") \
  2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Torvane Test Signer" -keyout "$work/leaf.key" -out "$work/leaf.csr" \
  2>/dev/null
openssl x509 -req -in "$work/leaf.csr" -CA "$work/root.pem" -CAkey "$work/root.key" -CAcreateserial -days 3650 \
  -extfile "$work/ext.cnf" -extensions leaf -out "$work/leaf.pem" 2>/dev/null
openssl x509 -in "$work/root.pem" -outform der -out "$out/test_root.der"

# Only the signer: the root must come from the trusted store.
cp "$work/leaf.pem" "$work/chain.pem"
osslsigncode sign -certs "$work/chain.pem" -key "$work/leaf.key" -h sha256 -n "Torvane fixture" \
  -in "$in" -out "$work/signed.exe" >/dev/null
cp "$work/signed.exe" "$out/signed.exe"
cp "$in" "$out/unsigned.exe"

# One byte inside the code (the first section starts at 0x400 in these images).
cp "$work/signed.exe" "$out/tampered.exe"
byte=$(od -An -tu1 -j $((0x410)) -N1 "$out/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$out/tampered.exe" bs=1 seek=$((0x410)) conv=notrunc 2>/dev/null
