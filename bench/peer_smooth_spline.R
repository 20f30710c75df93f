# The peer of BM_SplineAuto in bench_polyspline: R's smooth.spline on all knots, its smoothing
# chosen by generalised cross-validation, on data of the same law (x uniform on 0..10,
# y = 3 sin x + x + standard normal noise), and its values at the 201 drawn x.
#   Rscript bench/peer_smooth_spline.R 1e5 [repetitions]
args <- commandArgs(TRUE)
n <- as.numeric(args[1])
reps <- if (length(args) > 1) as.integer(args[2]) else 3
set.seed(42)
x <- runif(n, 0, 10)
y <- 3 * sin(x) + x + rnorm(n)
times <- replicate(reps, system.time({
  s <<- smooth.spline(x, y, all.knots = TRUE)
  v <- predict(s, seq(0, 10, by = 0.05))$y
})[c("elapsed", "user.self", "sys.self")])
cat(sprintf("smooth.spline/%g\tmedian %.1f ms wall, %.1f ms cpu\tdf %.2f\n", n, 1000 * median(times[1, ]),
            1000 * median(times[2, ] + times[3, ]), s$df))
