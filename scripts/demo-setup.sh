# Sourced by scripts/demo.sh after the demo's host directory and registry are in place: the
# Task Scheduler of the demo prefix is a stand-in tool that prints samples/tasks/schtasks-listing.csv
# (the real tool does not answer /query under Wine), and the tuner's registry values point at
# samples/tuner, whose channel file the run turns into the channel table.
# A 32-bit program's system directory is SysWOW64, a 64-bit one's System32: the stand-in of the
# build that runs ($bin) goes into both.
windir=$(run winepath -u 'C:\windows' 2>/dev/null | tr -d '\r')
for sysdir in "$windir/system32" "$windir/syswow64"; do
    cp "$bin/schtasks.exe" "$sysdir/schtasks.exe"
done
cp samples/tasks/schtasks-listing.csv "$demo/schtasks-listing.csv"
QUELLIX_SCHTASKS_LISTING=$(run winepath -w "$demo/schtasks-listing.csv" 2>/dev/null | tr -d '\r')
export QUELLIX_SCHTASKS_LISTING
# Wine prefers its own schtasks.exe to a program file of that name in the system directory.
export WINEDLLOVERRIDES="mscoree,mshtml=;schtasks.exe=n"

echo "== the Task Scheduler listing the stand-in prints (Shift_JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$demo/schtasks-listing.csv" | tr -d '\r' | cut -c1-160
cp -r samples/tuner "$demo/tuner"
tunerWin=$(run winepath -w "$demo/tuner" 2>/dev/null | tr -d '\r')
run reg add 'HKCU\Software\BUFFALO INC.\PCastTVDigital\PCastDigi' /v Dir /d "$tunerWin" /f >/dev/null 2>&1
run reg add 'HKCU\Software\BUFFALO INC.\PCastTVDigital\AppCfg' /v LocationIdx /t REG_DWORD /d 0 /f >/dev/null 2>&1
echo "== the tuner's channel file channels\\00_ChFile.txt (Shift_JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$demo/tuner/channels/00_ChFile.txt" | tr -d '\r'
echo "== the station renaming tvconvert.csv"
iconv -f CP932 -t UTF-8 "$demo/host/tvconvert.csv" | tr -d '\r'
