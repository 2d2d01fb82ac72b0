# QC across slides: one row per slide with its own numbers (from its GenePix Results and its
# place log) and the between-slide comparisons of arrayQualityMetrics for two-colour arrays (from
# the normalised M, A and weights of limma), each compared with its outlier rule. Writes
# summary.tsv and a self-contained index.html into OUT_DIR.
#   Rscript qc_summary.R OUT_DIR RESULTS_DIR MIN_PERCENT_FOUND NORMALIZED.tsv NAME...
suppressMessages(library(Hmisc))
args <- commandArgs(TRUE)
if (length(args) < 5)
  stop("usage: qc_summary.R OUT_DIR RESULTS_DIR MIN_PERCENT_FOUND NORMALIZED.tsv NAME...")
out_dir <- args[1]
results_dir <- args[2]
min_percent_found <- as.numeric(args[3])
normalized_path <- args[4]
slides <- args[-(1:4)]

# A spot is found in a layer when this share of its pixels lies above background + 2 SD, as in
# the slide's own report.
spot_found_percent <- 70
# The rules that compare slides with one another need this many slides to mean anything.
min_slides_compared <- 3
hoeffding_limit <- 0.15

read_gpr <- function(path) {
  records <- as.integer(strsplit(readLines(path, n = 2)[2], "\t")[[1]][1])
  read.delim(path, skip = 2 + records, check.names = FALSE, quote = "\"",
             na.strings = c("Error"), stringsAsFactors = FALSE)
}

placed_quads <- function(slide) {
  log <- file.path(results_dir, slide, "logs", "place.txt")
  if (!file.exists(log)) return(NA_integer_)
  line <- grep("^Placed [0-9]+ of [0-9]+ quads", readLines(log, warn = FALSE), value = TRUE)
  if (length(line) == 0) return(NA_integer_)
  as.integer(sub("^Placed ([0-9]+) of.*", "\\1", line[1]))
}

own_numbers <- function(slide) {
  g <- read_gpr(file.path(results_dir, slide, paste0(slide, ".gpr")))
  well <- g$Flags != -75
  measured <- well & g$Flags != -50
  # A single-colour slide has no 532 columns: its second layer's numbers are NA.
  found <- function(col)
    if (is.null(g[[col]])) NA else 100 * mean(g[[col]][well] >= spot_found_percent)
  snr <- function(col) if (is.null(g[[col]])) NA else median(g[[col]][measured], na.rm = TRUE)
  sat <- function(col) if (is.null(g[[col]])) FALSE else g[[col]] > 0
  saturated <- well & (sat("F635 % Sat.") | sat("F532 % Sat."))
  data.frame(slide = slide, quads_placed = placed_quads(slide),
             quads_in_use = length(unique(g$Block)),
             found_pct_1 = found("% > B635+2SD"), found_pct_2 = found("% > B532+2SD"),
             median_snr_1 = snr("SNR 635"), median_snr_2 = snr("SNR 532"),
             saturated_spots = sum(saturated), stringsAsFactors = FALSE)
}

norm <- read.delim(normalized_path, check.names = FALSE, stringsAsFactors = FALSE,
                   na.strings = c("NA", "NaN"))
W <- sapply(slides, function(s) norm[[paste("W", s)]])
if (paste("E", slides[1]) %in% names(norm)) {
  # Single-colour slides, as arrayQualityMetrics takes one-colour arrays: each slide's log
  # expression against the median of all slides.
  E <- sapply(slides, function(s) norm[[paste("E", s)]])
  reference <- apply(E, 1, median)
  M <- E - reference
  A <- (E + reference) / 2
} else {
  M <- sapply(slides, function(s) norm[[paste("M", s)]])
  A <- sapply(slides, function(s) norm[[paste("A", s)]])
}
usable <- W > 0 & is.finite(M) & is.finite(A)

# Mean |M_a - M_b| over the spots weighted on both slides.
distances <- matrix(0, length(slides), length(slides), dimnames = list(slides, slides))
for (a in seq_along(slides)) for (b in seq_along(slides)) {
  both <- usable[, a] & usable[, b]
  distances[a, b] <- if (a == b) 0 else if (any(both)) mean(abs(M[both, a] - M[both, b])) else NA
}

ks_of <- function(a) {
  pooled <- M[usable]
  if (!any(usable[, a])) return(NA_real_)
  unname(suppressWarnings(ks.test(M[usable[, a], a], pooled))$statistic)
}

hoeffding_of <- function(a) {
  u <- usable[, a]
  if (sum(u) < 5) return(NA_real_)
  hoeffd(A[u, a], M[u, a])$D[1, 2]
}

# The slide's layout: quads of Row x Column spots, quads row by row (Block = qy x quadsX + qx + 1).
# quadsX is read from the quads' positions: the quads whose centres lie as high as the first one's.
layout_cells <- function() {
  g <- read_gpr(file.path(results_dir, slides[1], paste0(slides[1], ".gpr")))
  y <- tapply(g$Y, g$Block, median)
  height <- diff(range(g$Y[g$Block == g$Block[1]])) + 1
  quads_x <- max(1, sum(abs(y - y[1]) < height / 2))
  qx <- (norm$Block - 1) %% quads_x
  qy <- (norm$Block - 1) %/% quads_x
  list(row = qy * max(norm$Row) + norm$Row, col = qx * max(norm$Column) + norm$Column)
}

# The share of the spatial spectrum of M's ranks (unweighted spots at the middle rank) that lies in
# the lowest frequencies: a gradient or a smear across the slide raises it.
spatial_of <- function(a, cells) {
  if (!any(usable[, a])) return(NA_real_)
  r <- rep((sum(usable[, a]) + 1) / 2, nrow(M))
  r[usable[, a]] <- rank(M[usable[, a], a])
  grid <- matrix(mean(r), max(cells$row), max(cells$col))
  grid[cbind(cells$row, cells$col)] <- r
  power <- Mod(fft(grid - mean(grid)))
  low <- function(n) unique(c(seq_len(min(4, n)), n - seq_len(min(3, n - 1)) + 1))
  sum(power[low(nrow(grid)), low(ncol(grid))]) / sum(power)
}

summary <- do.call(rbind, lapply(slides, own_numbers))
cells <- layout_cells()
summary$distance <- rowSums(distances, na.rm = TRUE)
summary$ks <- sapply(seq_along(slides), ks_of)
summary$hoeffding_d <- sapply(seq_along(slides), hoeffding_of)
summary$spatial_lf <- sapply(seq_along(slides), spatial_of, cells = cells)

above_box <- function(x) {
  q <- quantile(x, c(0.25, 0.75), na.rm = TRUE)
  !is.na(x) & x > q[2] + 1.5 * (q[2] - q[1])
}
compared <- length(slides) >= min_slides_compared
found_median <- apply(summary[, c("found_pct_1", "found_pct_2")], 1, median, na.rm = TRUE)
fails <- list(
  distance = if (compared) above_box(summary$distance) else NULL,
  ks = if (compared) above_box(summary$ks) else NULL,
  hoeffding_d = !is.na(summary$hoeffding_d) & summary$hoeffding_d > hoeffding_limit,
  spatial_lf = if (compared) above_box(summary$spatial_lf) else NULL,
  placement = !is.na(summary$quads_placed) & summary$quads_placed < summary$quads_in_use,
  found = found_median < min_percent_found)
fails <- fails[!sapply(fails, is.null)]
summary$outlier <- sapply(seq_along(slides), function(i)
  paste(names(fails)[sapply(fails, function(f) f[i])], collapse = ","))

formats <- c(found_pct_1 = "%.1f", found_pct_2 = "%.1f", median_snr_1 = "%.2f",
             median_snr_2 = "%.2f", distance = "%.4f", ks = "%.4f", hoeffding_d = "%.4f",
             spatial_lf = "%.4f")
shown <- summary
for (col in names(formats))
  shown[[col]] <- ifelse(is.na(summary[[col]]), "NA", sprintf(formats[[col]], summary[[col]]))
shown$quads_placed <- ifelse(is.na(summary$quads_placed), "NA", summary$quads_placed)

write_atomically <- function(path, write) {
  part <- paste0(path, ".part")
  write(part)
  invisible(file.rename(part, path))
}
write_atomically(file.path(out_dir, "summary.tsv"), function(p)
  write.table(shown, p, sep = "\t", quote = FALSE, row.names = FALSE))

source(file.path(dirname(sub("^--file=", "", grep("^--file=", commandArgs(FALSE),
                                                   value = TRUE))), "qc_page.R"))
write_atomically(file.path(out_dir, "index.html"), function(p)
  writeLines(qc_page(shown, summary, fails, distances, compared), p, useBytes = TRUE))
cat("QC of", length(slides), "slide(s):", sum(summary$outlier != ""), "flagged\n")
