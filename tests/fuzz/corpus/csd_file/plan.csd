VXCSD-STANDIN 1
drawing plan%25.VX
source D:\Work\plan%25.VX
version 4
params file
pen 1 0 0 0 0.26
pen 2 255 0 0 0.26
pen 3 0 255 0 0.26
pen 4 0 0 255 0.26
pen 5 0 0 0 0.26
pen 6 0 0 0 0.26
pen 7 0 0 0 0.26
pen 8 0 0 0 0.26
pen 9 0 0 0 0.26
pen 10 0 0 0 0.26
pen 11 0 0 0 0.26
pen 12 0 0 0 0.5
ltype 1 dashed 3 1
ltype 2 dash-dot 6 1 1 1
ltype 3 dash-dot-dot 6 1 1 1 1 1
ltype 4 dotted 0.5 1
ltype 5 auxiliary 2 2
end
