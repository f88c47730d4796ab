#!/usr/bin/env bash
# The real program told to end by SIGTERM, SIGHUP or SIGINT at every moment where it can be
# waiting: a box of start-up, the update question, the exit question, another message box, the
# font dialog and its colour dialog, the window on screen, the show running in the tray, the
# window in the tray. Each row prints the exit status and how long the end took, and checks
# the settings file's bytes, the addresses handed to the browser, and that the next launch
# starts as usual (no process is left behind to take it over).
#   e2e_signal_end.sh <path of the zentrivo executable>
source "$(dirname "$0")/common-e2e.bash"
exe=$1
stage=$(dirname "$exe")

# The browser: the program hands addresses to xdg-open, which here only writes them down.
mkdir -p "$work/bin"
cat >"$work/bin/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$1" >>"$BROWSER_LOG"
EOF
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH
thank_you=https://zentrivo.example/thankyou-for-using-zentrivo.php

# The single-instance socket lives under the home folder; keep it in the work folder.
unset XDG_RUNTIME_DIR

base64url() { printf '%s' "$1" | base64 | tr '+/' '-_' | tr -d '='; }
settings_file() { # AutoDisplay, date of the last update question
    printf '[Settings]\nAutoDisplay=%s\nDispDuration=2\nDispInterval=1\nFontBold=False\n' "$1"
    printf 'FontColor=0\nFontItalic=False\nFontName=Verdana\nFontSize=10\nRandomLocation=0\n'
    printf 'RandomMessage=0\nRunAtSysTray=%s\nStrikethrough=False\nUnderline=False\n\n' "$3"
    printf '[Update]\n%s=%s\n' "$(base64url LastUpdate)" "$(base64url "$2")"
}
today=$(date +%Y-%m-%d)

windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null; }
window_named() { # pid, title: the id of a visible window of that process with that title
    local w
    for w in $(windows_of "$1"); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$2" ] && echo "$w" && return 0
    done
    return 1
}
main_window() { # pid
    local w
    for w in $(windows_of "$1"); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        [ "$(xdotool getwindowname "$w")" = "Zentrivo v1.0" ] && [ "$WIDTH" -eq 570 ] &&
            echo "$w" && return 0
    done
    return 1
}
tray_icon() { # pid: its icon in the tray host (the only small window it shows)
    local w
    for w in $(windows_of "$1"); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        [ "$WIDTH" -le 32 ] && [ "$HEIGHT" -le 32 ] && echo "$w" && return 0
    done
    return 1
}
click_client() { # pid, x, y in the client area below the menu bar
    local w
    w=$(main_window "$1") || fail "no main window to click"
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + $2)) $((Y + HEIGHT - 447 + $3)) click 1
}
# There is no window manager: keys go to the window under the pointer.
key_in() { # window, keys
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) key "$2"
}
alive() { kill -0 "$1" 2>/dev/null; }
started() { # pid: running and showing something, its main window, a box or its tray icon
    alive "$1" && [ -n "$(windows_of "$1")" ]
}

launch() { # log name, arguments...: starts the program in the row's folder, sets $pid
    local name=$1
    shift
    BROWSER_LOG=$row/$name.browser "$row/app/zentrivo" "$@" >"$work/$name.log" 2>&1 &
    pid=$!
    pids+=($pid)
    touch "$row/$name.browser"
}

# One row: a fresh copy of the program and its settings, then the moment is reached.
new_row() { # AutoDisplay, date of the last update question, RunAtSysTray
    row=$work/row
    rm -rf "$row"
    mkdir -p "$row/config/zentrivo" "$row/home"
    cp -r "$stage" "$row/app"
    export XDG_CONFIG_HOME=$row/config HOME=$row/home
    settings_file "$1" "$2" "${3:-False}" >"$row/config/zentrivo/zentrivo.ini"
    cp "$row/config/zentrivo/zentrivo.ini" "$row/settings.before"
}

reach() { # moment: sets up the row, starts the program and waits for the moment
    case $1 in
    missing-files-box)
        new_row False "$today"
        rm -rf "$row/app/plugins"
        launch program
        wait_for 20 window_named "$pid" Zentrivo >/dev/null || fail "$1: no box"
        ;;
    update-question)
        new_row False 2000-01-01
        launch program
        wait_for 20 window_named "$pid" Zentrivo >/dev/null || fail "$1: no question"
        ;;
    exit-question)
        new_row False "$today"
        launch program
        wait_for 20 main_window "$pid" >/dev/null || fail "$1: no main window"
        click_client "$pid" 534 36
        wait_for 10 window_named "$pid" Zentrivo >/dev/null || fail "$1: no question"
        ;;
    message-box) # the Create button with no name given
        new_row False "$today"
        launch program
        wait_for 20 main_window "$pid" >/dev/null || fail "$1: no main window"
        click_client "$pid" 56 320
        wait_for 10 window_named "$pid" Zentrivo >/dev/null || fail "$1: no box"
        ;;
    font-dialog | colour-dialog)
        new_row False "$today"
        launch program
        wait_for 20 main_window "$pid" >/dev/null || fail "$1: no main window"
        click_client "$pid" 424 36 # Settings
        sleep 0.3
        click_client "$pid" 464 223 # Font
        wait_for 10 window_named "$pid" Font >/dev/null || fail "$1: no font dialog"
        if [ "$1" = colour-dialog ]; then
            key_in "$(window_named "$pid" Font)" alt+c
            wait_for 10 window_named "$pid" Colour >/dev/null || fail "$1: no colour dialog"
        fi
        ;;
    window-on-screen)
        new_row False "$today"
        launch program
        wait_for 20 main_window "$pid" >/dev/null || fail "$1: no main window"
        ;;
    show-in-tray)
        new_row True "$today"
        launch program
        wait_for 20 tray_icon "$pid" >/dev/null || fail "$1: no tray icon"
        ;;
    window-in-tray) # a log-on launch with "Start at system tray" ticked, show off
        new_row False "$today" True
        mkdir -p "$row/config/autostart"
        printf '[Desktop Entry]\nType=Application\nName=zentrivo\nExec=zentrivo /STARTUP\n' \
            >"$row/config/autostart/zentrivo.desktop"
        launch program /STARTUP
        wait_for 20 tray_icon "$pid" >/dev/null || fail "$1: no tray icon"
        ;;
    esac
    # The moment is reached once it is on the screen; let it settle.
    sleep 0.3
    alive "$pid" || fail "$1: the program ended by itself"
}

# What the program's own exit stores, for the rows where the program was running: the
# settings as loaded, with the show state of the moment.
stored_on_exit() { # AutoDisplay
    sed "s/^AutoDisplay=.*/AutoDisplay=$1/" "$row/settings.before"
}

start_tray_host

printf '%-20s %-7s %-6s %-8s %-22s %s\n' moment signal status ms settings browser
end_at() { # moment, signal
    local moment=$1 sig=$2 status=0 start elapsed watchdog
    reach "$moment"
    start=$(date +%s%N)
    kill -"$sig" "$pid"
    # Only a hang is judged; the time is printed, not compared.
    (sleep 20 && kill -KILL "$pid" 2>/dev/null) &
    watchdog=$!
    wait "$pid" || status=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    kill "$watchdog" 2>/dev/null || true
    wait "$watchdog" 2>/dev/null || true
    [ "$status" -eq 0 ] ||
        fail "$moment, SIG$sig: status $status (137: still running after 20 s, killed)"

    local ini=$row/config/zentrivo/zentrivo.ini settings expected_browser
    case $moment in
    missing-files-box | update-question)
        # Still starting: nothing of the user's is stored, no page is opened.
        cmp -s "$ini" "$row/settings.before" || fail "$moment, SIG$sig: the settings changed:
$(cat "$ini")"
        settings="unchanged"
        expected_browser=""
        ;;
    *)
        local shown=False
        [ "$moment" = show-in-tray ] && shown=True
        [ "$(cat "$ini")" = "$(stored_on_exit $shown)" ] ||
            fail "$moment, SIG$sig: stored settings differ from the program's own exit:
$(cat "$ini")"
        settings="stored AutoDisplay=$shown"
        expected_browser=$thank_you
        ;;
    esac

    # The next launch must start, not hand over to a process left behind.
    [ -d "$row/app/plugins" ] || cp -r "$stage/plugins" "$row/app/plugins"
    launch next
    wait_for 20 started "$pid" || fail "$moment, SIG$sig: the next launch did not start"
    kill -TERM "$pid"
    wait "$pid" || fail "$moment, SIG$sig: the next launch ended with status $?"
    # By now any page the first process handed to the browser has been written down.
    [ "$(cat "$row/program.browser")" = "$expected_browser" ] ||
        fail "$moment, SIG$sig: the browser was handed: $(cat "$row/program.browser")"
    printf '%-20s %-7s %-6s %-8s %-22s %s\n' "$moment" "$sig" "$status" "$elapsed" \
        "$settings" "${expected_browser:-none}"
}

# The two moments where a signal used to leave a ghost get every signal; the others share.
for sig in TERM HUP INT; do
    end_at missing-files-box $sig
    end_at update-question $sig
done
end_at exit-question TERM
end_at message-box HUP
end_at font-dialog INT
end_at colour-dialog TERM
end_at window-on-screen HUP
end_at show-in-tray INT
end_at window-in-tray TERM
echo "PASS: every signal at every moment ended the program with status 0, stored only what was loaded, and left the next launch free to start"
