# Sourced by the gpg checks with KEY_FIXTURES and OUTPUT as $1 and $2: a throw-away GnuPG home
# holding the test key rings, and gpg() working in it with Ann's passphrase.
keys="$1"
out="$2"
home="$(mktemp -d)"
trap 'gpgconf --homedir "$home" --kill all 2>/dev/null || true; rm -rf "$home"' EXIT
gpg() { command gpg --homedir "$home" --batch --yes --pinentry-mode loopback --passphrase ann-pass "$@"; }
gpg --import "$keys/pubring.pkr" "$keys/secring.skr" 2>/dev/null
failures=0
