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

# A fixed-length record of blank-padded fields: `blank LENGTH`, then `field OFFSET WIDTH
# TEXT` for each field, then "$record" holds it.
blank() { record=$(printf "%$1s" ''); }
field() { # offset width text
    local text
    text=$(printf "%-$2s" "$3")
    record="${record:0:$1}${text:0:$2}${record:$(($1 + $2))}"
}

# The point-of-sale settings file: one 2300-byte record.
blank 2300
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
# The day's tenders (fourteen values a record, the third the amount) and discounts (eight
# values, the third a count and the fifth an amount), as the point-of-sale program writes
# them: $651.25 of sales and $17.50 of discounts.
printf '%s\r\n' '"T","CASH",412.5,1,"12/07/2026","11:42",0,0,0,0,0,"","",1' \
    '"T","VISA",238.75,2,"12/07/2026","12:15",0,0,0,0,0,"","",2' > "$c/Tillora/TDTenders.daT"
printf '%s\r\n' '"Happy hour","HH",3,"%",2.5,"","",0' \
    '"Senior","SR",2,"$",5,"","",0' > "$c/Tillora/ini/DiscountList.daT"

# The time-clock product: the clock state (100-byte records: date, state "1" for clocked
# in, time in, ..., employee number at 44) and the employees (1000-byte records: number,
# name at 40). Dana is clocked in, Lee has gone home.
mkdir -p "$c/Shiftra/Data"
: > "$c/Shiftra/Data/TSinout.dat"
: > "$c/Shiftra/Data/Zemployee.dat"
punch() { # state time-in time-out employee
    blank 100
    field 0 10 "12/07/2026"; field 10 1 "$1"; field 11 5 "$2"; field 16 5 "$3"
    field 21 10 "0"; field 31 3 "0"; field 34 10 "rate"; field 44 4 "$4"
    printf '%s' "$record" >> "$c/Shiftra/Data/TSinout.dat"
}
employee() { # number name
    blank 1000
    field 0 20 "$1"; field 40 30 "$2"
    printf '%s' "$record" >> "$c/Shiftra/Data/Zemployee.dat"
}
punch 1 "08:02" "" 1
punch 0 "06:00" "10:30" 2
employee 1 "Dana Whitfield"
employee 2 "Lee Marsh"
sample "$c/Shiftra/settings.ini" "[Shiftra]"

# Kitchen printer 2: on for the lunch rush on weekdays, all afternoon at the weekend.
printf '"%s","%s"\r\n' "11:00 am" "2:00 pm" "11:00 am" "2:00 pm" "11:00 am" "2:00 pm" \
    "11:00 am" "2:00 pm" "11:00 am" "2:00 pm" "12:00 pm" "6:00 pm" "12:00 pm" "6:00 pm" \
    > "$c/Tillora/TlraKP2Ini.dat"

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
