#!/usr/bin/env bash
# Two local users, both made for this test and removed at its end: one runs the program, the
# other squats what it can reach before the program starts, one way per round: a server at the single-instance name
# the program used in the shared temporary folder; plain files at that socket's and its
# lock's names; a runtime folder of its own with a server at exactly the program's name. It
# also makes the folders in the temporary folder that a fallback might use. In every round
# the program must start, must not hand over to the squatter (who hears nothing), and a
# second launch of the program's own user must still hand over to the first, so two
# instances never run.
#   e2e_squatting_user.sh <path of the zentrivo executable>
source "$(dirname "$0")/common-e2e.bash"
exe=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: making users needs root (the test command runs as root)"
    exit 0
fi

owner=zow$$$RANDOM
squatter=zsq$$$RANDOM
users=()
squat_files=()
squat_pids=()
remove_users() {
    for p in "${squat_pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${squat_pids[@]}"; do wait "$p" 2>/dev/null || true; done
    for f in "${squat_files[@]}"; do rm -rf "$f"; done
    for u in "${users[@]}"; do userdel "$u" 2>/dev/null || true; done
}
trap 'cleanup; remove_users' EXIT
for u in "$owner" "$squatter"; do
    useradd --system --no-create-home --shell /usr/sbin/nologin "$u" || fail "could not make $u"
    users+=("$u")
done
as_owner=(setpriv --reuid="$owner" --regid="$owner" --clear-groups)
as_squatter=(setpriv --reuid="$squatter" --regid="$squatter" --clear-groups)

# The program's user has a folder of its own for the program, its home and its settings. The
# program runs under a base name of its own, so no other run of it on this machine meets the
# squatter's names.
base=zentrivo-squat$$
mine=$(mktemp -d)
squat_files+=("$mine")
mkdir -p "$mine/app" "$mine/home" "$mine/config/$base"
cp -r "$(dirname "$exe")/." "$mine/app/"
mv "$mine/app/zentrivo" "$mine/app/$base"
# The show on: the program goes to the tray, and a hand-over brings its window back.
printf '[Settings]\nAutoDisplay=True\n' >"$mine/config/$base/$base.ini"
chown -R "$owner:$owner" "$mine"
export HOME=$mine/home XDG_CONFIG_HOME=$mine/config

# The squatter's own folder for what it hears.
squat=$("${as_squatter[@]}" mktemp -d)
squat_files+=("$squat")
chmod 755 "$squat"
listen_as_squatter() { # socket path: a server that writes down every connection and line
    "${as_squatter[@]}" perl -MIO::Socket::UNIX -e '
        my ($path, $log) = @ARGV;
        my $server = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $path, Listen => 5)
            or die "cannot listen at $path: $!";
        chmod 0777, $path;
        open(my $out, ">>", $log) or die;
        $out->autoflush(1);
        print $out "listening at $path\n";
        while (my $client = $server->accept) {
            print $out "connection at $path\n";
            while (my $line = <$client>) { print $out "heard at $path: $line"; }
        }' "$1" "$squat/heard.log" </dev/null >>"$work/squatter.log" 2>&1 &
    squat_pids+=($!)
    squat_files+=("$1")
}

# The names the program used in the shared temporary folder, which anyone can compute.
uid=$(id -u "$owner")
old=/tmp/zentrivo-$(printf '%s\n%s' "$uid" "$base" | sha1sum | cut -c1-20)
listen_as_squatter "$old"
old_listener=$!
"${as_squatter[@]}" touch "$old.lock" && squat_files+=("$old.lock")
"${as_squatter[@]}" touch "/tmp/$base.lock" && squat_files+=("/tmp/$base.lock")
for folder in "/tmp/zentrivo-$uid" "/tmp/$base-$uid" "/tmp/$base"; do
    [ -e "$folder" ] && continue
    "${as_squatter[@]}" mkdir -m 777 "$folder" && squat_files+=("$folder")
done
# A runtime folder of the squatter's, holding a server at exactly the program's name.
runtime=$("${as_squatter[@]}" mktemp -d)
squat_files+=("$runtime")
chmod 700 "$runtime"
new_name=zentrivo-$(printf '%s\n%s' "$uid" "$base" | sha1sum | cut -c1-20)
listen_as_squatter "$runtime/$new_name"
wait_for 10 bash -c "[ \$(grep -c listening '$squat/heard.log' 2>/dev/null) -eq 2 ]" ||
    fail "the squatter did not start listening"

start_tray_host
main_window() { # pid: its visible main window
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w")" = "Zentrivo v1.0" ] && echo "$w" && return 0
    done
    return 1
}
no_main_window() { ! main_window "$1" >/dev/null; }
in_tray() { # pid: running, with its icon in the tray host
    local w
    kill -0 "$1" 2>/dev/null || return 1
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        [ "$WIDTH" -le 32 ] && [ "$HEIGHT" -le 32 ] && return 0
    done
    return 1
}
heard() { grep -v '^listening' "$squat/heard.log" || true; }

for round in "a server at the old name" "plain files at the old names" \
    "the squatter's runtime folder"; do
    unset XDG_RUNTIME_DIR
    case $round in
    "plain files at the old names")
        kill "$old_listener"
        wait "$old_listener" 2>/dev/null || true
        "${as_squatter[@]}" rm -f "$old"
        "${as_squatter[@]}" touch "$old"
        ;;
    "the squatter's runtime folder") export XDG_RUNTIME_DIR=$runtime ;;
    esac
    "${as_owner[@]}" "$mine/app/$base" >"$work/first.log" 2>&1 &
    first=$!
    pids+=($first)
    wait_for 20 in_tray "$first" ||
        fail "$round: the program did not start (handed over, or was stopped)"
    no_main_window "$first" || fail "$round: the window should be in the tray"

    status=0
    timeout 20 "${as_owner[@]}" "$mine/app/$base" >"$work/second.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] ||
        fail "$round: the second launch ended with status $status (124: it kept running)"
    wait_for 10 main_window "$first" >/dev/null ||
        fail "$round: the second launch did not hand over to the first"
    kill -0 "$first" || fail "$round: the first instance is gone"
    [ -z "$(heard)" ] || fail "$round: the squatter heard from the program:
$(heard)"

    kill -TERM "$first"
    wait "$first" || fail "$round: the first instance ended with status $?"
    echo "$round: the program started, the squatter heard nothing, the second launch handed over to the first"
done
echo "PASS: a squatting user can neither stop the program, nor be handed a start, nor make two instances run"
