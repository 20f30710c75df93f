# The peer of BM_SplineFirstDrawing in bench_polyspline: scipy's UnivariateSpline (cubic, smoothing)
# given the same allowance, s = 0.5 times the residual sum of squares of the least-squares line, on
# data of the same law (x uniform on 0..10, y = 3 sin x + x + standard normal noise), with the sort
# it needs and its values at the 201 drawn x, as the first drawing computes them.
#   /usr/bin/python3 bench/peer_univariate_spline.py 1e5 [repetitions]   (numpy and scipy from Debian)
# OpenBLAS's core type and cache size, where the environment sets them, are unset for this run.
import statistics
import sys
import time

import numpy as np
from scipy.interpolate import UnivariateSpline

n = int(float(sys.argv[1]))
reps = int(sys.argv[2]) if len(sys.argv) > 2 else 5
rng = np.random.default_rng(42)
x = rng.uniform(0.0, 10.0, n)
y = 3.0 * np.sin(x) + x + rng.standard_normal(n)
slope, intercept = np.polyfit(x, y, 1)
allowance = 0.5 * float(np.sum((y - (slope * x + intercept)) ** 2))
drawn = np.arange(201) * 0.05
wall, cpu = [], []
for _ in range(reps):
    w0, c0 = time.perf_counter(), time.process_time()
    order = np.argsort(x, kind="stable")
    spline = UnivariateSpline(x[order], y[order], k=3, s=allowance)
    values = spline(drawn)
    wall.append(time.perf_counter() - w0)
    cpu.append(time.process_time() - c0)
residual = float(spline.get_residual())
print(f"UnivariateSpline/{n:g}\tmedian {1000 * statistics.median(wall):.1f} ms wall, "
      f"{1000 * statistics.median(cpu):.1f} ms cpu\tknots {len(spline.get_knots())}\t"
      f"residual/allowance {residual / allowance:.6f}")
