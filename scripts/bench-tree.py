#!/usr/bin/python3
"""Makes a store-like tree for the benchmarks: the product folders of the backup, about
6,000 small files and three large ones (30 %, 25 % and 25 % of the total).

    bench-tree.py <drive folder> <total MB>
"""
import os
import random
import sys

root, total_mb = sys.argv[1], int(sys.argv[2])
random.seed(7)
tillora = ["", "ADS", "data", "Delivery", "Delivery/Delivered", "Delivery/Driver",
           "Delivery/LastOrder", "Delivery/Out", "DriveThru", "ini", "ini/1", "ini/2",
           "ini/3", "ini/TableGraphics", "PhoneOrders", "Sales", "Server", "Server/Sales",
           "Table", "Table/Torder", "Table/Tseat", "Table/Tcheck", "Temp", "Table/Pcheck"]
folders = [os.path.join("Tillora", f) for f in tillora]
folders += ["Shiftra", "Shiftra/data", "Loyvana", "Loyvana/Loyvana/BackupData",
            "Loyvana/Loyvana/Deleted"]
for f in folders:
    os.makedirs(os.path.join(root, f), exist_ok=True)


def write(path, size):
    # Fresh random bytes per file: repeated blocks would deduplicate and flatter the figures.
    with open(path, "wb") as out:
        while size > 0:
            n = min(size, 1 << 20)
            out.write(os.urandom(n))
            size -= n


large = [("Tillora/Sales/SalesHistory.dat", 0.30), ("Tillora/data/Journal.dat", 0.25),
         ("Shiftra/data/Timesheets.dat", 0.25)]
for path, share in large:
    write(os.path.join(root, path), int(total_mb * share) << 20)
small_bytes = int(total_mb * 0.20) << 20
count = 6000 - len(large)
mean = small_bytes // count
for i in range(count):
    write(os.path.join(root, folders[i % len(folders)], "T%05d.dat" % i),
          random.randint(1, 2 * mean))
