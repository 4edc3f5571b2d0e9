# shellcheck shell=bash
# Fetching a Debian source tarball once, checked against its SHA-256, for
# the libraries the Windows and web builds compile themselves.
#   fetch_debian_source POOL_DIR TARBALL SHA256 DOWNLOADS
# Looks for DOWNLOADS/TARBALL (VELMORA_DOWNLOADS may name a shared folder),
# fetches it from the machine's Debian mirrors (pool/main/POOL_DIR) when
# missing, checks it and prints its path.
fetch_debian_source() {
    local pool=$1 name=$2 sha256=$3 downloads=${VELMORA_DOWNLOADS:-$4}
    local tarball=$downloads/$name mirror
    if [ ! -f "$tarball" ]; then
        mkdir -p "$downloads"
        # shellcheck disable=SC2016 # apt's own field name, not the shell's
        mapfile -t mirrors < <(apt-get indextargets --no-release-info --format '$(REPO_URI)' |
                               sort -u)
        for mirror in "${mirrors[@]}"; do
            curl -fsL -o "$tarball.part" "${mirror%/}/pool/main/$pool/$name" &&
                mv "$tarball.part" "$tarball" && break
        done
        rm -f "$tarball.part"
        [ -f "$tarball" ] || { echo "cannot fetch $name" >&2; return 1; }
    fi
    echo "$sha256  $tarball" | sha256sum --check --quiet - >&2 ||
        { echo "$tarball is not the expected source" >&2; return 1; }
    echo "$tarball"
}

# The libpng both builds compile.
libpng_pool=libp/libpng1.6
libpng_tarball=libpng1.6_1.6.39.orig.tar.gz
libpng_sha256=a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441
