#!/usr/bin/env bash
# Makes a demo store: a drive folder in Wine's dosdevices layout under the given prefix,
# with drive c: holding a point-of-sale settings file and the Tillora and Shiftra data
# folders, and drive e: [BACKUP] as the backup destination. Usage: make-demo-store.sh PREFIX
set -euo pipefail

prefix=${1:?usage: make-demo-store.sh PREFIX}
mkdir -p "$prefix/dosdevices" "$prefix/drive_c" "$prefix/drive_e"
ln -sfn ../drive_c "$prefix/dosdevices/c:"
ln -sfn ../drive_e "$prefix/dosdevices/e:"
echo "BACKUP" > "$prefix/drive_e/.windows-label"
c="$prefix/drive_c"

# A file of the given size with a recognisable line of text in it.
sample() { # path text
    mkdir -p "$(dirname "$1")"
    printf '%s\r\n' "$2" > "$1"
}

# The point-of-sale settings file: one 2300-byte record of blank-padded fields.
record=$(printf '%2300s' '')
field() { # offset width text
    local text
    text=$(printf "%-$2s" "$3")
    record="${record:0:$1}${text:0:$2}${record:$(($1 + $2))}"
}
field 0 40 "Harbor Street Diner"
field 40 40 "12 Harbor Street"
field 80 40 "Portsmouth, NH 03801"
field 120 20 "603-555-0142"
field 190 40 'C:\Tillora\'
field 240 20 "Receipt"
field 586 20 "Kitchen"
field 942 40 'C:\Shiftra\'
field 1018 40 'C:\Tillora\'
field 1078 40 'C:\Cardessa\'
field 1118 40 'C:\Loyvana\'
mkdir -p "$c/Tillora"
printf '%s' "$record" > "$c/Tillora/TlraIni.dat"

# The point-of-sale data folders a backup copies, each with a file or two.
for folder in ADS data Delivery Delivery/Delivered Delivery/Driver Delivery/LastOrder \
              Delivery/Out DriveThru ini ini/1 ini/2 ini/3 ini/TableGraphics PhoneOrders \
              Sales Server Server/Sales Table Table/Torder Table/Tseat Table/Tcheck Temp \
              Table/Pcheck; do
    sample "$c/Tillora/$folder/${folder//\//_}.dat" "demo data of $folder"
done
sample "$c/Tillora/TDTenders.daT" '"CASH",1,"12/07/2026",412.50'
sample "$c/Tillora/ini/DiscountList.daT" '"Happy hour",10'

# The time-clock product: punches and employees as fixed-length records.
mkdir -p "$c/Shiftra/Data"
printf '%-100s' "0001 12/07/2026 08:02 IN" > "$c/Shiftra/Data/TSinout.dat"
printf '%-1000s' "0001 Dana Whitfield" > "$c/Shiftra/Data/Zemployee.dat"
sample "$c/Shiftra/settings.ini" "[Shiftra]"

sample "$c/Loyvana/Loyvana/BackupData/members.dat" "demo members"
sample "$c/Cardessa/cards.dat" "demo gift cards"
# Backup settings: nightly at 3:00 am from c: to the backup drive e:.
mkdir -p "$c/Tillora/ini"
printf '"%s","%s"\r\n' "Time Start    " "3:00 am" "Backup From   " "c:" \
    "Backup To     " "e: [BACKUP]" > "$c/Tillora/ini/Autobackup.dat"
printf '"%s",%s\r\n' Tillora -1 Shiftra -1 Loyvana -1 Cardessa 0 >> "$c/Tillora/ini/Autobackup.dat"
printf '"%s","%s"\r\n' "Last Date     " "Never" >> "$c/Tillora/ini/Autobackup.dat"
printf '"%s",%s\r\n' Paydex 0 "Backup to is a Network Drive" 0 >> "$c/Tillora/ini/Autobackup.dat"

echo "Demo store ready in $prefix (drive c: and backup drive e:)"
